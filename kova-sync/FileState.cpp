#include "kova-sync/FileState.h"

#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <array>
#include <cerrno>
#include <fstream>
#include <memory>
#include <system_error>

namespace KovaSync {
namespace fs = std::filesystem;

namespace {

struct stat Stat(const fs::path& file) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0) {
        throw fs::filesystem_error("cannot read", file, std::error_code(errno, std::generic_category()));
    }
    return info;
}

std::int64_t ModifiedNs(const struct stat& info) {
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

std::string Sha256(const fs::path& file) {
    errno = 0;
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        // Why it cannot be opened, as the system says ("permission denied").
        throw fs::filesystem_error("cannot read", file,
                                   std::error_code(errno != 0 ? errno : EIO, std::generic_category()));
    }
    const std::unique_ptr<EVP_MD_CTX, decltype(&EVP_MD_CTX_free)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
    if (!context || EVP_DigestInit_ex(context.get(), EVP_sha256(), nullptr) != 1) {
        throw fs::filesystem_error("cannot hash", file, std::make_error_code(std::errc::io_error));
    }
    std::array<char, 1 << 16> buffer;
    while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0) {
        EVP_DigestUpdate(context.get(), buffer.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) {
        throw fs::filesystem_error("cannot hash", file, std::make_error_code(std::errc::io_error));
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned length = 0;
    EVP_DigestFinal_ex(context.get(), digest, &length);
    std::string hex;
    for (unsigned i = 0; i < length; ++i) {
        hex += "0123456789abcdef"[digest[i] >> 4];
        hex += "0123456789abcdef"[digest[i] & 15];
    }
    return hex;
}

} // namespace

ContentState DescribeFile(const fs::path& file) {
    const struct stat info = Stat(file);
    return {static_cast<std::int64_t>(info.st_size), ModifiedNs(info), Sha256(file)};
}

PathStatus Look(const fs::path& path) {
    PathStatus status;
    struct statx info {};
    if (::statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
        status.error = std::error_code(errno, std::generic_category());
        status.type = errno == ENOENT || errno == ENOTDIR ? fs::file_type::not_found : fs::file_type::none;
        return status;
    }
    status.type = S_ISREG(info.stx_mode)   ? fs::file_type::regular
                  : S_ISDIR(info.stx_mode) ? fs::file_type::directory
                  : S_ISLNK(info.stx_mode) ? fs::file_type::symlink
                                           : fs::file_type::unknown;
    const auto nanoseconds = [](const struct statx_timestamp& time) {
        return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
    };
    status.content = {static_cast<std::int64_t>(info.stx_size), nanoseconds(info.stx_mtime), ""};
    status.local = {static_cast<std::int64_t>(makedev(info.stx_dev_major, info.stx_dev_minor)),
                    static_cast<std::int64_t>(info.stx_ino),
                    (info.stx_mask & STATX_BTIME) != 0 ? nanoseconds(info.stx_btime) : 0};
    return status;
}

bool SameSizeAndTime(const fs::path& file, const ContentState& state) {
    struct stat info {};
    return ::stat(file.c_str(), &info) == 0 && info.st_size == state.size &&
           ModifiedNs(info) == state.modifiedNs;
}

} // namespace KovaSync
