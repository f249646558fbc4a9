#include "platform/registry/registry_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

#include "platform/shell/replace_file.h"

namespace platform::registry_detail {
namespace {

char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

void appendQuoted(std::string& out, std::string_view s) {
  static const char* hex = "0123456789ABCDEF";
  out += '"';
  for (unsigned char c : s) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '"':
        out += "\\\"";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20 || c == 0x7F) {
          out += "\\x";
          out += hex[c >> 4];
          out += hex[c & 15];
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Reads a quoted text at the start of `s`; advances `s` past it.
std::optional<std::string> readQuoted(std::string_view& s) {
  if (s.empty() || s[0] != '"') return std::nullopt;
  std::string out;
  std::size_t i = 1;
  while (i < s.size()) {
    char c = s[i];
    if (c == '"') {
      s.remove_prefix(i + 1);
      return out;
    }
    if (c != '\\') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 >= s.size()) return std::nullopt;
    char e = s[i + 1];
    i += 2;
    switch (e) {
      case '\\':
        out += '\\';
        break;
      case '"':
        out += '"';
        break;
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case 'x': {
        if (i + 1 >= s.size()) return std::nullopt;
        int hi = hexDigit(s[i]), lo = hexDigit(s[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        break;
      }
      default:
        return std::nullopt;
    }
  }
  return std::nullopt;
}

void serializeNode(std::string& out, const Node& node, const std::string& path) {
  if (!path.empty() || !node.values.empty()) {
    out += '[';
    out += path;
    out += "]\n";
    for (const auto& [name, value] : node.values) {
      appendQuoted(out, name);
      if (value.type == RegistryValueType::String) {
        out += "=sz:";
        appendQuoted(out, value.text);
      } else {
        out += "=dword:";
        out += std::to_string(value.number);
      }
      out += '\n';
    }
  }
  for (const auto& [name, child] : node.children) {
    serializeNode(out, child, path.empty() ? name : path + "\\" + name);
  }
}

}  // namespace

bool CaseLess::operator()(std::string_view a, std::string_view b) const {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char x = lower(a[i]), y = lower(b[i]);
    if (x != y) return static_cast<unsigned char>(x) < static_cast<unsigned char>(y);
  }
  return a.size() < b.size();
}

std::string serialize(const Node& root, uint64_t generation) {
  std::string out = "# telvane registry generation=" + std::to_string(generation) + "\n";
  serializeNode(out, root, "");
  return out;
}

std::optional<Node> parse(std::string_view text) {
  Node root;
  Node* current = &root;
  while (!text.empty()) {
    std::size_t eol = text.find('\n');
    std::string_view line = text.substr(0, eol);
    text.remove_prefix(eol == std::string_view::npos ? text.size() : eol + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line[0] == '#') continue;
    if (line[0] == '[') {
      if (line.back() != ']') return std::nullopt;
      std::string_view path = line.substr(1, line.size() - 2);
      current = &root;
      while (!path.empty()) {
        std::size_t sep = path.find('\\');
        std::string_view part = path.substr(0, sep);
        if (part.empty()) return std::nullopt;
        auto it = current->children.find(part);
        if (it == current->children.end())
          it = current->children.emplace(std::string(part), Node{}).first;
        current = &it->second;
        if (sep == std::string_view::npos) break;
        path.remove_prefix(sep + 1);
        if (path.empty()) return std::nullopt;
      }
      continue;
    }
    auto name = readQuoted(line);
    if (!name) return std::nullopt;
    if (line.starts_with("=sz:")) {
      line.remove_prefix(4);
      auto value = readQuoted(line);
      if (!value || !line.empty()) return std::nullopt;
      current->values[*name] = RegistryValue::ofString(std::move(*value));
    } else if (line.starts_with("=dword:")) {
      line.remove_prefix(7);
      uint32_t n = 0;
      auto [end, ec] = std::from_chars(line.data(), line.data() + line.size(), n);
      if (ec != std::errc() || end != line.data() + line.size() || line.empty())
        return std::nullopt;
      current->values[*name] = RegistryValue::ofDWord(n);
    } else {
      return std::nullopt;
    }
  }
  return root;
}

std::optional<Node> readStore(const std::filesystem::path& file) {
  std::error_code ec;
  if (!std::filesystem::exists(file, ec)) {
    if (ec) return std::nullopt;
    return Node{};
  }
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return parse(text.str());
}

uint64_t readGeneration(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::string first;
  if (!in || !std::getline(in, first)) return 0;
  static constexpr std::string_view kHeader = "# telvane registry generation=";
  if (!first.starts_with(kHeader)) return 0;
  uint64_t n = 0;
  auto [end, ec] = std::from_chars(first.data() + kHeader.size(), first.data() + first.size(), n);
  return ec == std::errc() ? n : 0;
}

std::shared_ptr<const Node> StoreCache::read(const std::filesystem::path& file) {
  std::lock_guard lock(mutex_);
  uint64_t generation = readGeneration(file);
  if (generation != 0 && tree_ && generation == generation_) return tree_;
  auto tree = readStore(file);
  if (!tree) return nullptr;
  // A store written between the two reads is simply parsed again next time.
  tree_ = std::make_shared<const Node>(std::move(*tree));
  generation_ = generation;
  return tree_;
}

bool writeStore(const std::filesystem::path& file, const Node& root, uint64_t generation) {
  std::error_code ec;
  std::filesystem::path folder = file.parent_path();
  if (!folder.empty() && !std::filesystem::exists(folder, ec)) {
    std::filesystem::create_directories(folder, ec);
    if (ec) return false;
    ::chmod(folder.c_str(), 0700);
  }
  // The store holds the password: always private to the user, whatever the umask.
  std::string error;
  return platform::shell::ReplaceFile(file, serialize(root, generation), 0600,
                                      platform::shell::FileMode::Force, error);
}

}  // namespace platform::registry_detail
