// Prints the project's content fingerprint of a file (CLSHash), for timing against openssl md5.
#include "VantrelCommon/LSHash.h"
#include "VantrelCommon/TextUtils.h"

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: hash_file FILE\n");
        return 2;
    }
    const CStdStr<wchar_t> hash =
        CLSHash::GetHashForLocalFile(CStdStr<wchar_t>(GetThreadUtf8Converter().from_bytes(argv[1])));
    if (hash.empty()) {
        std::fprintf(stderr, "hash_file: cannot hash %s\n", argv[1]);
        return 1;
    }
    std::printf("%ls\n", hash.c_str());
    return 0;
}
