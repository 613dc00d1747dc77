#include "bin/BroadcastCode.h"
#include "bin/clsBINFile.h"

namespace vantorix {

std::string clsBINFile::WBBCC() const { return m_strWBBCC; }

std::string clsBINFile::FieldsPastTheEnd() const {
  const double size = static_cast<double>(m_abytImage.size());
  std::string fields;
  if (m_strMask == "8D" && size < bcc::kAxxcIdentification.back().position) fields = "its broadcast code";
  if (m_strMask == "6E" && size <= 0x0249) fields = "its transmission flag";
  if (fields.empty()) return {};
  return "the image ends after " + std::to_string(m_abytImage.size()) + " bytes, before " + fields;
}

std::string clsBINFile::GetWBBCC() {
  return Trapped("GetWBBCC", [this] {
    const std::string mask = Mask();
    if (mask == "8D") {
      bool allMatch = true;
      // Every byte is read, even after a mismatch: each unreadable one is reported.
      for (const auto& identification : bcc::kAxxcIdentification)
        if (GetValueFromBin(identification.position) != identification.axxcValue) allMatch = false;
      return std::string(allMatch ? bcc::kAxxc : bcc::kAujp);
    }
    if (mask == "6E") return std::string(bcc::k6E);
    return std::string(bcc::kUnknown);
  });
}

}  // namespace vantorix
