#include "client/update/FileDigest.h"

#include <openssl/evp.h>

#include <cstdio>
#include <memory>

namespace vantor::client {

namespace {

struct DigestDeleter {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string Md5OfFile(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    std::unique_ptr<EVP_MD_CTX, DigestDeleter> context(EVP_MD_CTX_new());
    if (!file || !context || EVP_DigestInit_ex(context.get(), EVP_md5(), nullptr) != 1) return "";
    unsigned char block[1024];
    size_t read = 0;
    while ((read = std::fread(block, 1, sizeof block, file.get())) > 0) {
        if (EVP_DigestUpdate(context.get(), block, read) != 1) return "";
    }
    if (std::ferror(file.get())) return "";
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), digest, &length) != 1) return "";
    static const char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text.push_back(kHex[digest[i] >> 4]);
        text.push_back(kHex[digest[i] & 15]);
    }
    return text;
}

}  // namespace vantor::client
