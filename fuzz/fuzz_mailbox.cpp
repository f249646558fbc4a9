// A mailbox description (JSON) loaded into a fresh Outlook. vCard paths resolve in a folder of
// the fuzzer's own with one card file ("a.vcf"); inputs that could name a device or a file
// outside it are passed over, so a run never reads an endless file. Errors name the file.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "fuzz/scratch_folder.h"
#include "platform/outlook/application.h"
#include "platform/outlook/mailbox_loader.h"

namespace {

const std::filesystem::path& CardFolder() {
  const std::filesystem::path& dir = telvane::fuzz::ScratchFolder("fuzz_mailbox");
  static const bool cardWritten = [&dir] {
    std::ofstream(dir / "a.vcf") << "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Ann\r\n"
                                    "TEL;TYPE=WORK:+49 30 1234\r\nEND:VCARD\r\n";
    return true;
  }();
  (void)cardWritten;
  return dir;
}

bool NamesOutsideFiles(std::string_view text) {
  if (text.find("vcards") == std::string_view::npos) return false;
  for (std::string_view risky : {"/dev", "/proc", "/sys", "\\u", "\\/", ".."}) {
    if (text.find(risky) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace ol = platform::outlook;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (NamesOutsideFiles(text)) return 0;
  ol::Application app;
  const ol::MailboxLoadResult result =
      ol::LoadMailbox(text, "mailbox.json", CardFolder(), *app.GetNamespace("MAPI"));
  if (!result.ok() && !result.error.starts_with("mailbox.json") &&
      !result.error.starts_with(CardFolder().string())) {
    __builtin_trap();
  }
  if (result.folders < 0 || result.contacts < 0 || result.mails < 0) __builtin_trap();
  return 0;
}
