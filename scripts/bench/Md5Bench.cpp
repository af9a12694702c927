// Prints the seconds the program's MD5 takes over a file (read as Md5OfFile reads it), and the digest.
#include <chrono>
#include <cstdio>

#include "update/Md5.h"

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const auto start = std::chrono::steady_clock::now();
    std::FILE* file = std::fopen(argv[1], "rb");
    const std::string digest = zarn::Md5OfStream(file);
    if (file)
        std::fclose(file);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%.4f %s\n", seconds, digest.c_str());
    return digest.empty() ? 1 : 0;
}
