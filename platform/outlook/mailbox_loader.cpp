#include "platform/outlook/mailbox_loader.h"

#include <algorithm>
#include <iterator>
#include <nlohmann/json.hpp>

#include "platform/outlook/application.h"
#include "platform/outlook/text_util.h"
#include "platform/outlook/vcard_import.h"

namespace platform::outlook {
namespace {

// A JSON value with the line it stands on.
struct Node {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject } kind = Kind::kNull;
  int line = 0;
  std::string text;
  std::vector<std::string> keys;  // objects: one per child
  std::vector<Node> children;
};

// Counts the characters the parser has read, so that every value gets its line.
class CountingIterator {
 public:
  using iterator_category = std::input_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  CountingIterator(const char* p, std::size_t* read) : p_(p), read_(read) {}
  reference operator*() const { return *p_; }
  CountingIterator& operator++() {
    ++p_;
    ++*read_;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator old = *this;
    ++*this;
    return old;
  }
  bool operator==(const CountingIterator& o) const { return p_ == o.p_; }
  bool operator!=(const CountingIterator& o) const { return p_ != o.p_; }

 private:
  const char* p_;
  std::size_t* read_;
};

class TreeBuilder : public nlohmann::json_sax<nlohmann::json> {
 public:
  TreeBuilder(std::string_view text, const std::size_t* read) : text_(text), read_(read) {}

  bool null() override { return Leaf(Node::Kind::kNull, {}); }
  bool boolean(bool v) override { return Leaf(Node::Kind::kBool, v ? "true" : "false"); }
  bool number_integer(number_integer_t v) override {
    return Leaf(Node::Kind::kNumber, std::to_string(v));
  }
  bool number_unsigned(number_unsigned_t v) override {
    return Leaf(Node::Kind::kNumber, std::to_string(v));
  }
  bool number_float(number_float_t, const string_t& s) override {
    return Leaf(Node::Kind::kNumber, s);
  }
  bool string(string_t& s) override { return Leaf(Node::Kind::kString, s); }
  bool binary(binary_t&) override { return Leaf(Node::Kind::kNull, {}); }
  bool start_object(std::size_t) override { return Open(Node::Kind::kObject); }
  bool key(string_t& k) override {
    key_ = k;
    return true;
  }
  bool end_object() override { return Close(); }
  bool start_array(std::size_t) override { return Open(Node::Kind::kArray); }
  bool end_array() override { return Close(); }
  bool parse_error(std::size_t, const std::string&,
                   const nlohmann::detail::exception& ex) override {
    error_line_ = CurrentLine();
    error_ = ex.what();
    // The library's text starts with its own tag and position; keep what follows.
    if (const std::size_t at = error_.find(": syntax error"); at != std::string::npos)
      error_ = error_.substr(at + 2);
    else if (const std::size_t br = error_.find("] "); br != std::string::npos)
      error_ = error_.substr(br + 2);
    return false;
  }

  Node& root() { return root_; }
  const std::string& error() const { return error_; }
  int error_line() const { return error_line_; }

 private:
  int CurrentLine() const {
    const std::size_t end = std::min(*read_ == 0 ? 0 : *read_ - 1, text_.size());
    return 1 + static_cast<int>(std::count(text_.begin(), text_.begin() + end, '\n'));
  }
  Node* Place(Node::Kind kind) {
    Node node;
    node.kind = kind;
    node.line = CurrentLine();
    if (stack_.empty()) {
      root_ = std::move(node);
      return &root_;
    }
    Node* parent = stack_.back();
    if (parent->kind == Node::Kind::kObject) parent->keys.push_back(key_);
    parent->children.push_back(std::move(node));
    return &parent->children.back();
  }
  bool Leaf(Node::Kind kind, std::string text) {
    Place(kind)->text = std::move(text);
    return true;
  }
  bool Open(Node::Kind kind) {
    stack_.push_back(Place(kind));
    return true;
  }
  bool Close() {
    stack_.pop_back();
    return true;
  }

  std::string_view text_;
  const std::size_t* read_;
  Node root_;
  // Open nodes, root first. Only the innermost one gains children, so the pointers stay valid.
  std::vector<Node*> stack_;
  std::string key_;
  std::string error_;
  int error_line_ = 0;
};

struct FolderType {
  std::string_view name;
  int item_type;
};
constexpr FolderType kFolderTypes[] = {
    {"mail", olMailItem},  {"calendar", olAppointmentItem}, {"contacts", olContactItem},
    {"tasks", olTaskItem}, {"journal", olJournalItem},      {"notes", olNoteItem},
};

struct DefaultFolder {
  std::string_view name;
  int folder_type;
  int item_type;
};
constexpr DefaultFolder kDefaultFolders[] = {
    {"deleted_items", olFolderDeletedItems, olMailItem},
    {"outbox", olFolderOutbox, olMailItem},
    {"sent_mail", olFolderSentMail, olMailItem},
    {"inbox", olFolderInbox, olMailItem},
    {"calendar", olFolderCalendar, olAppointmentItem},
    {"contacts", olFolderContacts, olContactItem},
    {"journal", olFolderJournal, olJournalItem},
    {"notes", olFolderNotes, olNoteItem},
    {"tasks", olFolderTasks, olTaskItem},
    {"drafts", olFolderDrafts, olMailItem},
};

class Loader {
 public:
  Loader(std::string_view source, std::filesystem::path base_dir, NameSpace& session,
         MailboxLoadResult& result)
      : source_(source), base_dir_(std::move(base_dir)), session_(session), result_(result) {}

  bool Mailbox(const Node& root) {
    if (!Expect(root, Node::Kind::kObject, "the mailbox")) return false;
    if (!OnlyKeys(root, {"current_user", "stores"})) return false;
    const Node* stores = nullptr;
    for (std::size_t i = 0; i < root.children.size(); ++i) {
      const Node& value = root.children[i];
      if (root.keys[i] == "current_user") {
        if (!CurrentUser(value)) return false;
      } else {
        stores = &value;
      }
    }
    if (!stores) return Fail(root.line, "the mailbox has no \"stores\"");
    if (!Expect(*stores, Node::Kind::kArray, "\"stores\"")) return false;
    for (const Node& store : stores->children)
      if (!Store(store)) return false;
    return true;
  }

 private:
  bool Fail(int line, const std::string& what) {
    result_.error = std::string(source_) + ":" + std::to_string(line) + ": " + what;
    return false;
  }
  bool Expect(const Node& node, Node::Kind kind, const std::string& what) {
    static constexpr const char* kNames[] = {"null",   "true or false", "a number",
                                             "a text", "a list",        "an object"};
    if (node.kind == kind) return true;
    return Fail(node.line, what + " must be " + kNames[static_cast<int>(kind)] + ", not " +
                               kNames[static_cast<int>(node.kind)]);
  }
  bool OnlyKeys(const Node& object, std::initializer_list<std::string_view> allowed) {
    for (std::size_t i = 0; i < object.keys.size(); ++i) {
      if (std::find(allowed.begin(), allowed.end(), object.keys[i]) == allowed.end())
        return Fail(object.children[i].line, "unknown key \"" + object.keys[i] + "\"");
      for (std::size_t j = 0; j < i; ++j)
        if (object.keys[j] == object.keys[i])
          return Fail(object.children[i].line, "key \"" + object.keys[i] + "\" given twice");
    }
    return true;
  }
  const Node* Member(const Node& object, std::string_view key) {
    for (std::size_t i = 0; i < object.keys.size(); ++i)
      if (object.keys[i] == key) return &object.children[i];
    return nullptr;
  }
  bool Text(const Node& object, std::string_view key, std::string* out) {
    const Node* node = Member(object, key);
    if (!node) return true;
    if (!Expect(*node, Node::Kind::kString, "\"" + std::string(key) + "\"")) return false;
    *out = node->text;
    return true;
  }

  bool CurrentUser(const Node& user) {
    if (!Expect(user, Node::Kind::kObject, "\"current_user\"")) return false;
    if (!OnlyKeys(user, {"name", "address"})) return false;
    std::string name, address;
    if (!Text(user, "name", &name) || !Text(user, "address", &address)) return false;
    session_.SetCurrentUser(Recipient(name, address));
    return true;
  }

  bool Store(const Node& store) {
    if (!Expect(store, Node::Kind::kObject, "a store")) return false;
    if (!OnlyKeys(store, {"name", "folders"})) return false;
    std::string name;
    if (!Text(store, "name", &name)) return false;
    if (name.empty()) return Fail(store.line, "a store needs a \"name\"");
    Folder* root = session_.AddStore(name);
    if (!root) return Fail(store.line, "the store \"" + name + "\" exists twice");
    ++result_.folders;
    return SubFolders(store, *root);
  }

  bool SubFolders(const Node& owner, Folder& parent) {
    const Node* list = Member(owner, "folders");
    if (!list) return true;
    if (!Expect(*list, Node::Kind::kArray, "\"folders\"")) return false;
    for (const Node& folder : list->children)
      if (!FolderNode(folder, parent)) return false;
    return true;
  }

  bool FolderNode(const Node& node, Folder& parent) {
    if (!Expect(node, Node::Kind::kObject, "a folder")) return false;
    if (!OnlyKeys(node, {"name", "type", "default", "folders", "contacts", "mails", "vcards"}))
      return false;
    std::string name, type_name, default_name;
    if (!Text(node, "name", &name) || !Text(node, "type", &type_name) ||
        !Text(node, "default", &default_name))
      return false;
    if (name.empty()) return Fail(node.line, "a folder needs a \"name\"");

    const DefaultFolder* def = nullptr;
    if (!default_name.empty()) {
      for (const DefaultFolder& d : kDefaultFolders)
        if (d.name == default_name) def = &d;
      if (!def)
        return Fail(Member(node, "default")->line,
                    "unknown default folder \"" + default_name + "\"");
      if (session_.GetDefaultFolder(def->folder_type))
        return Fail(Member(node, "default")->line,
                    "a second \"" + default_name + "\" default folder");
    }
    int item_type = def ? def->item_type : parent.DefaultItemType();
    if (!type_name.empty()) {
      const FolderType* type = nullptr;
      for (const FolderType& t : kFolderTypes)
        if (t.name == type_name) type = &t;
      if (!type)
        return Fail(Member(node, "type")->line, "unknown folder type \"" + type_name + "\"");
      if (def && type->item_type != def->item_type)
        return Fail(Member(node, "type")->line,
                    "a \"" + default_name + "\" folder cannot hold " + type_name);
      item_type = type->item_type;
    }

    Folder* folder = parent.Folders().Add(name, item_type);
    if (!folder)
      return Fail(node.line, "the folder \"" + name + "\" exists twice in " + parent.FolderPath());
    ++result_.folders;
    if (def) session_.SetDefaultFolder(def->folder_type, folder);
    return Items(node, "contacts", olContactItem, *folder, &result_.contacts) &&
           Items(node, "mails", olMailItem, *folder, &result_.mails) && VCards(node, *folder) &&
           SubFolders(node, *folder);
  }

  bool Items(const Node& node, std::string_view key, int type, Folder& folder, int* count) {
    const Node* list = Member(node, key);
    if (!list) return true;
    if (!Expect(*list, Node::Kind::kArray, "\"" + std::string(key) + "\"")) return false;
    for (const Node& entry : list->children) {
      if (!Expect(entry, Node::Kind::kObject, "an item")) return false;
      auto item = folder.Items().Add(type);
      for (std::size_t i = 0; i < entry.keys.size(); ++i) {
        const Node& value = entry.children[i];
        if (!Expect(value, Node::Kind::kString, "\"" + entry.keys[i] + "\"")) return false;
        if (!item->SetProperty(entry.keys[i], value.text))
          return Fail(value.line, "\"" + entry.keys[i] + "\" is not a property of a " +
                                      std::string(item->TypeName()) + " that can be set");
      }
      item->Save();
      ++*count;
    }
    return true;
  }

  bool VCards(const Node& node, Folder& folder) {
    const Node* list = Member(node, "vcards");
    if (!list) return true;
    if (!Expect(*list, Node::Kind::kArray, "\"vcards\"")) return false;
    for (const Node& entry : list->children) {
      if (!Expect(entry, Node::Kind::kString, "a vCard file")) return false;
      std::filesystem::path path(entry.text);
      if (path.is_relative()) path = base_dir_ / path;
      VCardImportResult imported = ImportVCardFile(path, folder);
      result_.warnings.insert(result_.warnings.end(), imported.warnings.begin(),
                              imported.warnings.end());
      if (!imported.ok())
        return Fail(entry.line, "vCard file " + entry.text + " not loaded: " + imported.error);
      result_.contacts += imported.imported;
    }
    return true;
  }

  std::string_view source_;
  std::filesystem::path base_dir_;
  NameSpace& session_;
  MailboxLoadResult& result_;
};

}  // namespace

Folder* AddStandardStore(NameSpace& session, std::string name) {
  Folder* store = session.AddStore(std::move(name));
  if (!store) return nullptr;
  static constexpr struct {
    const char* name;
    int folder_type;
    int item_type;
  } kStandard[] = {
      {"Deleted Items", olFolderDeletedItems, olMailItem},
      {"Inbox", olFolderInbox, olMailItem},
      {"Outbox", olFolderOutbox, olMailItem},
      {"Sent Items", olFolderSentMail, olMailItem},
      {"Drafts", olFolderDrafts, olMailItem},
      {"Calendar", olFolderCalendar, olAppointmentItem},
      {"Contacts", olFolderContacts, olContactItem},
      {"Journal", olFolderJournal, olJournalItem},
      {"Notes", olFolderNotes, olNoteItem},
      {"Tasks", olFolderTasks, olTaskItem},
  };
  for (const auto& standard : kStandard) {
    Folder* folder = store->Folders().Add(standard.name, standard.item_type);
    if (folder && !session.GetDefaultFolder(standard.folder_type))
      session.SetDefaultFolder(standard.folder_type, folder);
  }
  return store;
}

MailboxLoadResult LoadMailbox(std::string_view json_text, std::string_view source_name,
                              const std::filesystem::path& base_dir, NameSpace& session) {
  MailboxLoadResult result;
  std::size_t read = 0;
  TreeBuilder builder(json_text, &read);
  const char* begin = json_text.data();
  const bool parsed = nlohmann::json::sax_parse(
      CountingIterator(begin, &read), CountingIterator(begin + json_text.size(), &read), &builder,
      nlohmann::json::input_format_t::json, /*strict=*/true, /*ignore_comments=*/true);
  if (!parsed) {
    result.error = std::string(source_name) + ":" + std::to_string(builder.error_line()) + ": " +
                   builder.error();
    return result;
  }
  Loader(source_name, base_dir, session, result).Mailbox(builder.root());
  return result;
}

MailboxLoadResult LoadMailboxFile(const std::filesystem::path& path, NameSpace& session) {
  const std::optional<std::string> text = ReadWholeFile(path);
  if (!text) {
    MailboxLoadResult result;
    result.error = path.string() + ": cannot be read";
    return result;
  }
  return LoadMailbox(*text, path.string(), path.parent_path(), session);
}

}  // namespace platform::outlook
