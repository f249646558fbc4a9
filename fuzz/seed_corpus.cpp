// Writes the seed corpora of the fuzz targets from the golden message texts the tests check:
//   fuzz_seed_corpus <dir>   (fills <dir>/<target>/, one file per seed)
// Response seeds are kept only for the request rows whose answer class reads them.

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "telvane/protocol/method_factory.h"
#include "telvane/xmlrpc/method_table.h"
#include "telvane/xmlrpc/xmlrpc_method.h"
#include "tests/telvane/protocol/golden_texts.h"

namespace {

namespace fs = std::filesystem;

// The golden texts without their terminator, as the framer hands them on.
std::vector<std::string> unframedAll(const std::vector<std::string>& texts) {
  std::vector<std::string> out;
  for (const std::string& text : texts) {
    out.emplace_back(telvane::protocol_testing::unframed(text));
  }
  return out;
}

bool writeSeed(const fs::path& dir, const std::string& name, std::string_view bytes) {
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <corpus dir>\n", argv[0]);
    return 2;
  }
  const fs::path root = argv[1];
  for (const char* target :
       {"xml_navigator", "method_call", "response", "party", "framer", "call_id"}) {
    fs::create_directories(root / target);
  }
  bool ok = true;
  const std::vector<std::string> calls = unframedAll(telvane::protocol_testing::golden::calls());
  const std::vector<std::string> responses =
      unframedAll(telvane::protocol_testing::golden::answers());

  for (std::size_t i = 0; i < calls.size(); ++i) {
    if (telvane::parsePbxMethodCall(calls[i]).kind != telvane::ParsedCall::Kind::kCall) {
      std::fprintf(stderr, "seed %zu does not read as a call:\n%s\n", i, calls[i].c_str());
      ok = false;
    }
    ok &= writeSeed(root / "method_call", "golden-" + std::to_string(i), calls[i]);
  }
  for (int type = 0; type < telvane::kMethodCount; ++type) {
    auto request = telvane::createProtocolMethod(type);
    for (std::size_t i = 0; i < responses.size(); ++i) {
      auto parsed = request->parseResponse(responses[i]);
      // The fault reads for every row; keep it for one row only.
      if (!parsed || (parsed->isFault() && type != 0)) continue;
      const std::string seed = std::string(1, static_cast<char>(type)) + responses[i];
      ok &= writeSeed(root / "response", "golden-" + std::to_string(type) + "-" + std::to_string(i),
                      seed);
    }
  }

  const std::vector<std::string> documents = {
      calls[15],
      calls[23],
      calls[24],
      responses[5],
      responses[11],
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<!-- note -->\r\n<root a=\"1\" b='&amp;'>"
      "<empty/><text>a &lt; b &#65; &#x42;</text><![CDATA[<raw>]]></root>",
  };
  for (std::size_t i = 0; i < documents.size(); ++i) {
    ok &= writeSeed(root / "xml_navigator", "golden-" + std::to_string(i), documents[i]);
  }

  // One byte of chunk sizes, then a stream of messages and a torn tail.
  const std::string stream = calls[2] + "\r\n\r\n" + responses[0] + "\r\n\r\n\r\n" + calls[6] +
                             "\r\n\r\n<?xml version=\"1.0\"?>\r\n<metho";
  ok &= writeSeed(root / "framer", "golden-0", std::string(1, '\x35') + stream);
  ok &= writeSeed(root / "framer", "golden-1", std::string(1, '\x00') + "a\r\n\r\r\n\r\n\r\nb");

  const char* parties[] = {"pbx:101",  "sip:ann@h:5060", "\"Ann\" <sip:ann@h:5060>",
                           "vm:101;2", "TEL:+493012345", "pstn:0049301",
                           "ar:5",     "5551234",        "\"Ann\" <ann@h:5060>",
                           "ann@h",    "Ann <bob@h>"};
  for (std::size_t i = 0; i < std::size(parties); ++i) {
    ok &= writeSeed(root / "party", "golden-" + std::to_string(i), parties[i]);
  }
  const char* ids[] = {"42", "0", "18446744073709551615", "18446744073709551616", "1a", ""};
  for (std::size_t i = 0; i < std::size(ids); ++i) {
    ok &= writeSeed(root / "call_id", "golden-" + std::to_string(i), ids[i]);
  }
  return ok ? 0 : 1;
}
