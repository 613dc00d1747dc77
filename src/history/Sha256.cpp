#include "history/Sha256.h"

#include <openssl/evp.h>

#include "app/RuntimeError.h"

namespace vantorix::history {

std::string Sha256(std::span<const std::uint8_t> bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_sha256(), nullptr) != 1)
    throw RuntimeError(ErrorNumber::InternalError, "SHA-256 could not be computed");
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string text;
  text.reserve(2 * length);
  for (unsigned int k = 0; k < length; ++k) {
    text += kDigits[digest[k] >> 4U];
    text += kDigits[digest[k] & 0x0FU];
  }
  return text;
}

}  // namespace vantorix::history
