// The header check of a downloaded program: only a GUI executable of the asked machine passes; empty,
// short, text and damaged headers, libraries, console programs and other machines are refused.
#include "update/ExeCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace zarn;

namespace {

constexpr size_t PeOffset = 0x80;

void Put16(std::vector<unsigned char>& b, size_t at, uint16_t v) {
    b[at] = static_cast<unsigned char>(v & 0xff);
    b[at + 1] = static_cast<unsigned char>(v >> 8);
}

void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<unsigned char>(v >> (8 * i));
}

// The headers of a GUI executable for machine, as a linker writes them.
std::vector<unsigned char> Headers(uint16_t machine) {
    const bool wide = machine == MachineAmd64;
    std::vector<unsigned char> b(0x400, 0);
    b[0] = 'M';
    b[1] = 'Z';
    Put32(b, 0x3c, PeOffset);
    b[PeOffset] = 'P';
    b[PeOffset + 1] = 'E';
    Put16(b, PeOffset + 4, machine);
    Put16(b, PeOffset + 4 + 16, wide ? 240 : 224); // size of the optional header
    Put16(b, PeOffset + 4 + 18, 0x0102);           // executable, 32-bit words
    Put16(b, PeOffset + 24, wide ? 0x20b : 0x10b);
    Put16(b, PeOffset + 24 + 68, 2); // Windows GUI
    return b;
}

bool Check(const std::vector<unsigned char>& b, uint16_t machine) {
    return IsProgramImage(b.data(), b.size(), machine);
}

TEST(ExeCheck, AGuiProgramOfTheAskedMachinePasses) {
    EXPECT_TRUE(Check(Headers(MachineI386), MachineI386));
    EXPECT_TRUE(Check(Headers(MachineAmd64), MachineAmd64));
}

TEST(ExeCheck, AProgramOfTheOtherMachineIsRefused) {
    EXPECT_FALSE(Check(Headers(MachineI386), MachineAmd64));
    EXPECT_FALSE(Check(Headers(MachineAmd64), MachineI386));
    std::vector<unsigned char> mixed = Headers(MachineI386);
    Put16(mixed, PeOffset + 24, 0x20b); // i386 machine with a PE32+ optional header
    EXPECT_FALSE(Check(mixed, MachineI386));
    EXPECT_FALSE(Check(Headers(MachineI386), 0x01c4)); // a machine this check does not know
}

TEST(ExeCheck, EmptyTextAndShortFilesAreRefused) {
    EXPECT_FALSE(IsProgramImage(nullptr, 0, MachineI386));
    const std::string page = "<html><body><h1>404</h1><p>/files/Zarn.exe</p></body></html>";
    EXPECT_FALSE(
        IsProgramImage(reinterpret_cast<const unsigned char*>(page.data()), page.size(), MachineI386));
    const std::vector<unsigned char> mz = {'M', 'Z'};
    EXPECT_FALSE(Check(mz, MachineI386));
    // Cut anywhere before the end of the subsystem field: refused, never read past the end.
    const std::vector<unsigned char> full = Headers(MachineAmd64);
    for (size_t size = 0; size < PeOffset + 24 + 70; ++size)
        EXPECT_FALSE(IsProgramImage(full.data(), size, MachineAmd64)) << size;
    EXPECT_TRUE(IsProgramImage(full.data(), PeOffset + 24 + 70, MachineAmd64));
}

TEST(ExeCheck, DamagedSignaturesAndOffsetsAreRefused) {
    std::vector<unsigned char> b = Headers(MachineI386);
    b[0] = 'Z';
    EXPECT_FALSE(Check(b, MachineI386));
    b = Headers(MachineI386);
    b[PeOffset + 2] = 'x';
    EXPECT_FALSE(Check(b, MachineI386));
    for (const uint32_t offset : {0xffffffffu, 0xfffffff0u, 0x400u, 0x3ffu, 0u}) {
        b = Headers(MachineI386);
        Put32(b, 0x3c, offset);
        EXPECT_FALSE(Check(b, MachineI386)) << offset;
    }
    b = Headers(MachineI386);
    Put16(b, PeOffset + 4 + 16, 60); // an optional header too short to hold the subsystem
    EXPECT_FALSE(Check(b, MachineI386));
}

TEST(ExeCheck, LibrariesConsoleProgramsAndObjectsAreRefused) {
    std::vector<unsigned char> b = Headers(MachineAmd64);
    Put16(b, PeOffset + 4 + 18, 0x2102); // a DLL
    EXPECT_FALSE(Check(b, MachineAmd64));
    b = Headers(MachineAmd64);
    Put16(b, PeOffset + 4 + 18, 0x0100); // not marked executable
    EXPECT_FALSE(Check(b, MachineAmd64));
    b = Headers(MachineAmd64);
    Put16(b, PeOffset + 24 + 68, 3); // console
    EXPECT_FALSE(Check(b, MachineAmd64));
}

TEST(ExeCheck, TheBuildsOwnMachineIsOneOfTheTwo) {
    EXPECT_TRUE(BuildMachine() == MachineI386 || BuildMachine() == MachineAmd64);
}

} // namespace
