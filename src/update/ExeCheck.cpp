// The header check of a downloaded program: every offset is read within the bytes given.
#include "update/ExeCheck.h"

namespace zarn {
namespace {

constexpr size_t NewHeaderOffsetField = 0x3c;
constexpr size_t FileHeaderSize = 20;
constexpr uint16_t ExecutableImage = 0x0002; // IMAGE_FILE_EXECUTABLE_IMAGE
constexpr uint16_t LibraryImage = 0x2000;    // IMAGE_FILE_DLL
constexpr uint16_t Pe32Magic = 0x10b;
constexpr uint16_t Pe32PlusMagic = 0x20b;
constexpr size_t SubsystemField = 68; // the same offset in PE32 and PE32+ optional headers
constexpr uint16_t GuiSubsystem = 2;  // IMAGE_SUBSYSTEM_WINDOWS_GUI

uint16_t Read16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Read32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

uint16_t OptionalMagicFor(uint16_t machine) {
    if (machine == MachineI386)
        return Pe32Magic;
    if (machine == MachineAmd64)
        return Pe32PlusMagic;
    return 0;
}

} // namespace

bool IsProgramImage(const unsigned char* bytes, size_t size, uint16_t machine) {
    const uint16_t magic = OptionalMagicFor(machine);
    if (!bytes || magic == 0 || size < NewHeaderOffsetField + 4 || bytes[0] != 'M' || bytes[1] != 'Z')
        return false;
    const size_t peOffset = Read32(bytes + NewHeaderOffsetField);
    const size_t optionalOffset = peOffset + 4 + FileHeaderSize;
    // Compared by subtraction so that no offset from the file can overflow a sum.
    if (peOffset > size || size - peOffset < 4 + FileHeaderSize + SubsystemField + 2)
        return false;
    const unsigned char* pe = bytes + peOffset;
    if (pe[0] != 'P' || pe[1] != 'E' || pe[2] != 0 || pe[3] != 0)
        return false;
    const unsigned char* fileHeader = pe + 4;
    const uint16_t optionalSize = Read16(fileHeader + 16);
    const uint16_t characteristics = Read16(fileHeader + 18);
    if (Read16(fileHeader) != machine || optionalSize < SubsystemField + 2 ||
        !(characteristics & ExecutableImage) || (characteristics & LibraryImage))
        return false;
    const unsigned char* optional = bytes + optionalOffset;
    return Read16(optional) == magic && Read16(optional + SubsystemField) == GuiSubsystem;
}

} // namespace zarn
