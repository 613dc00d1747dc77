#include <cstdint>

#include "bin/ByteSum.h"
#include "bin/ImageIdentity.h"
#include "bin/ImageLayout.h"
#include "bin/basStringFunctions.h"
#include "bin/clsBINFile.h"
#include "foundation/AppInfo.h"
#include "foundation/NumberText.h"
#include "foundation/RuntimeError.h"

namespace vantorix {

namespace {

constexpr auto kPromIdOffset = static_cast<std::int64_t>(layout::kPromIdOffset);  // the low byte follows
constexpr auto kStoredChecksumOffset = static_cast<std::int64_t>(layout::kStoredChecksumOffset);
using layout::kChecksummedFrom;
constexpr std::int64_t kTransmissionOffset8D = 0x0018;
constexpr std::size_t kTransmissionBitChar8D = 5;  // bit 2, counted from the left of "76543210"
constexpr std::int64_t kTransmissionOffset6E = 0x0249;
constexpr std::size_t kTransmissionBitChar6E = 7;  // bit 0

}  // namespace

std::string clsBINFile::PROMID() {
  return Trapped("PROMID [PropertyGet]", [this] { return m_strPROMID; });
}

void clsBINFile::PROMID(const std::string& strPROMID) {
  Trapped("PROMID [PropertyLet]", [&] {
    m_strPROMID = strPROMID;
    StoreSixteenBit(number::ParseDecimal(strPROMID), kPromIdOffset);
  });
}

std::string clsBINFile::Transmission() {
  return Trapped("Transmission [PropertyGet]", [this] { return m_strTransmission; });
}

std::string clsBINFile::Checksum() {
  return Trapped("CheckSum [PropertyGet]", [this] { return m_strChecksum; });
}

void clsBINFile::CheckSum(const std::string& strCheckSum) {
  Trapped("CheckSum [PropertyLet]", [&] {
    m_strChecksum = strCheckSum;
    StoreSixteenBit(number::ParseHexLong(strCheckSum), kStoredChecksumOffset);
  });
}

std::string clsBINFile::CalculateCSUM() {
  return Trapped("CalculateCSUM", [this] {
    std::uint32_t sum = 0;
    // A 32-bit sum that wraps still has the right low 16 bits, which is all that is kept.
    if (m_abytImage.size() > kChecksummedFrom) sum = ByteSum(std::span(m_abytImage).subspan(kChecksummedFrom));
    return number::HexText(sum & 0xFFFFU);
  });
}

void clsBINFile::StoreSixteenBit(double number, std::int64_t highOffset) {
  const std::int64_t lowOffset = highOffset + 1;
  if (number <= 255.0) {
    ByteAtOffset(lowOffset) = number::ToByte(number);
    ByteAtOffset(highOffset) = 0;
  } else {
    const std::string hex = number::HexText(static_cast<std::uint32_t>(number::ToLong(number)));
    ByteAtOffset(lowOffset) = static_cast<std::uint8_t>(std::stoul(hex.substr(hex.size() - 2), nullptr, 16));
    if (hex.size() == 4 || hex.size() == 3) {
      ByteAtOffset(highOffset) = static_cast<std::uint8_t>(std::stoul(hex.substr(0, hex.size() - 2), nullptr, 16));
    } else {
      // More than 16 bits: the high byte cannot hold the rest, so it is left alone.
      m_shell.MsgBox("Ouch", MsgBoxStyle::OkOnly, std::string(app::kTitle), BoxKind::Message("SixteenBitsExceeded"));
    }
  }
  m_blnChanged = true;
}

bool clsBINFile::RestoreBytes(std::span<const std::uint8_t> bytes, bool changed) {
  return Trapped("RestoreBytes", [&] {
    if (!m_blnFileOpened || bytes.size() != m_abytImage.size())
      throw RuntimeError(
          ErrorNumber::SubscriptOutOfRange,
          std::to_string(bytes.size()) + " bytes cannot replace an image of " + std::to_string(m_abytImage.size()));
    m_abytImage.assign(bytes.begin(), bytes.end());
    m_strPROMID = GetPROMID();
    m_strChecksum = GetCheckSum();
    m_blnChanged = changed;
    return true;
  });
}

std::string clsBINFile::GetPROMID() {
  return Trapped("GetPROMID", [this] { return identity::PromIdText(m_abytImage); });
}

std::string clsBINFile::GetCheckSum() {
  return Trapped("GetCheckSum", [this] { return identity::StoredChecksumText(m_abytImage); });
}

std::string clsBINFile::GetTranny() {
  return Trapped("GetTranny", [this] {
    std::string bits;
    std::size_t flagChar = 0;
    if (m_strMask == "8D") {
      bits = ByteToBinaryString(ByteAtOffset(kTransmissionOffset8D));
      flagChar = kTransmissionBitChar8D;
    } else if (m_strMask == "6E") {
      bits = ByteToBinaryString(ByteAtOffset(kTransmissionOffset6E));
      flagChar = kTransmissionBitChar6E;
    } else {
      return std::string();
    }
    return std::string(bits[flagChar] == '0' ? "AUTO" : "MANUAL");
  });
}

}  // namespace vantorix
