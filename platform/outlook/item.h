// Outlook items: the base item with properties read and written by name, contact items, mail items
// with attachments, and ItemList, the snapshot collection of Selection and Items::Restrict.
//
// Items are shared objects (a folder, a selection, an inspector and the add-in may all hold one),
// so they are handed out as std::shared_ptr. An item belongs to at most one folder (Parent).
// Property names are compared ignoring letter case; each kind of item has a fixed table of names,
// and GetProperty answers std::nullopt for a name that kind does not have. Indexes of every
// collection start at 1, as in Outlook.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/outlook/constants.h"

namespace platform::outlook {

class Application;
class Folder;

namespace detail {
// What an item needs from its application; outlives the application and is cleared by it.
struct AppLink {
  Application* app = nullptr;
  std::uint64_t last_entry = 0;
  std::string NewEntryId();
};
}  // namespace detail

// The eight telephone properties of a contact.
inline constexpr std::string_view kTelephoneProperties[] = {
    "BusinessTelephoneNumber", "Business2TelephoneNumber", "HomeTelephoneNumber",
    "Home2TelephoneNumber",    "MobileTelephoneNumber",    "CompanyMainTelephoneNumber",
    "CarTelephoneNumber",      "OtherTelephoneNumber",
};

// True when some kind of item has this property (Restrict uses it to reject unknown names).
bool IsKnownProperty(std::string_view name);

class Item : public std::enable_shared_from_this<Item> {
 public:
  virtual ~Item() = default;
  Item(const Item&) = delete;
  Item& operator=(const Item&) = delete;

  OlItemType ItemType() const { return type_; }
  // The automation type name: "MailItem", "ContactItem", "AppointmentItem", ...
  std::string_view TypeName() const;
  const std::string& EntryId() const { return entry_id_; }
  std::string Subject() const { return Get("Subject"); }
  std::string Body() const { return Get("Body"); }

  // By name, ignoring letter case. "EntryID" reads the entry id and cannot be written.
  std::optional<std::string> GetProperty(std::string_view name) const;
  bool SetProperty(std::string_view name, std::string value);
  std::span<const std::string_view> PropertyNames() const;

  Folder* Parent() const { return parent_; }
  // Saved once: the item is in its folder's Items.
  bool Saved() const { return saved_; }

  // First save adds the item to its folder (ItemAdd; an item created by the application goes to
  // the default folder of its type); later saves raise ItemChange. False without a folder.
  bool Save();
  // Moves a saved item to another folder: ItemRemove there, ItemAdd in the destination.
  bool Move(Folder* destination);
  // Moves the item to Deleted Items; an item already there is removed for good.
  bool Delete();
  // Opens the item in an inspector (see Inspector); an open one is activated again.
  bool Display(bool modal = false);

  // Items are made by Application::CreateItem, Items::Add or CreateItemOfType.
  Item(OlItemType type, std::shared_ptr<detail::AppLink> app);

 protected:
  std::string Get(std::string_view name) const { return GetProperty(name).value_or(std::string()); }

 private:
  friend class Items;
  friend class Folder;
  OlItemType type_;
  std::shared_ptr<detail::AppLink> app_;
  std::string entry_id_;
  std::vector<std::string> values_;  // one per entry of the kind's property table
  Folder* parent_ = nullptr;
  bool saved_ = false;
};

// Creates an unsaved item of a kind; nullptr for a type the model does not know.
std::shared_ptr<Item> CreateItemOfType(OlItemType type, std::shared_ptr<detail::AppLink> app);

class ContactItem : public Item {
 public:
  using Item::Item;
  std::string FullName() const { return Get("FullName"); }
  std::string Email1Address() const { return Get("Email1Address"); }
};

// A file attached to a mail; its content is read when it is attached.
class Attachment {
 public:
  Attachment(std::filesystem::path path, std::string content)
      : path_(std::move(path)), content_(std::move(content)) {}
  std::string FileName() const { return path_.filename().string(); }
  std::string DisplayName() const { return FileName(); }
  std::string PathName() const { return path_.string(); }
  std::size_t Size() const { return content_.size(); }
  const std::string& Content() const { return content_; }

 private:
  std::filesystem::path path_;
  std::string content_;
};

class Attachments {
 public:
  int Count() const { return static_cast<int>(list_.size()); }
  const Attachment* Item(int index) const;
  // Reads the file; nullptr when it cannot be read.
  const Attachment* Add(const std::filesystem::path& source);
  bool Remove(int index);

 private:
  std::vector<std::unique_ptr<Attachment>> list_;
};

class MailItem : public Item {
 public:
  using Item::Item;
  std::string SenderEmailAddress() const { return Get("SenderEmailAddress"); }
  std::string SenderName() const { return Get("SenderName"); }
  std::string SentOnBehalfOfName() const { return Get("SentOnBehalfOfName"); }
  std::string To() const { return Get("To"); }
  outlook::Attachments& Attachments() { return attachments_; }
  const outlook::Attachments& Attachments() const { return attachments_; }

 private:
  outlook::Attachments attachments_;
};

// A snapshot list of items (Selection, the result of Restrict). Indexes start at 1.
class ItemList {
 public:
  ItemList() = default;
  explicit ItemList(std::vector<std::shared_ptr<outlook::Item>> items) : items_(std::move(items)) {}
  int Count() const { return static_cast<int>(items_.size()); }
  std::shared_ptr<outlook::Item> Item(int index) const;
  bool empty() const { return items_.empty(); }
  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 private:
  std::vector<std::shared_ptr<outlook::Item>> items_;
};

// Typed views; nullptr when the item is of another kind.
std::shared_ptr<ContactItem> AsContact(const std::shared_ptr<Item>& item);
std::shared_ptr<MailItem> AsMail(const std::shared_ptr<Item>& item);

}  // namespace platform::outlook
