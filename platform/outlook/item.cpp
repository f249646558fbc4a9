#include "platform/outlook/item.h"

#include <cstdio>

#include "platform/outlook/application.h"
#include "platform/outlook/folder.h"
#include "platform/outlook/text_util.h"

namespace platform::outlook {
namespace {

// Every kind starts with the same five names; EntryID is read from the item itself.
constexpr std::string_view kContactProperties[] = {
    "EntryID",
    "Subject",
    "Body",
    "Categories",
    "MessageClass",
    "FullName",
    "FirstName",
    "MiddleName",
    "LastName",
    "Title",
    "Suffix",
    "FileAs",
    "CompanyName",
    "JobTitle",
    "Department",
    "Email1Address",
    "Email2Address",
    "Email3Address",
    "BusinessTelephoneNumber",
    "Business2TelephoneNumber",
    "HomeTelephoneNumber",
    "Home2TelephoneNumber",
    "MobileTelephoneNumber",
    "CompanyMainTelephoneNumber",
    "CarTelephoneNumber",
    "OtherTelephoneNumber",
    "BusinessFaxNumber",
    "HomeFaxNumber",
    "PagerNumber",
};

constexpr std::string_view kMailProperties[] = {
    "EntryID",
    "Subject",
    "Body",
    "Categories",
    "MessageClass",
    "SenderName",
    "SenderEmailAddress",
    "SentOnBehalfOfName",
    "To",
    "CC",
    "BCC",
};

constexpr std::string_view kOtherProperties[] = {
    "EntryID", "Subject", "Body", "Categories", "MessageClass",
};

struct ItemKind {
  OlItemType type;
  std::string_view type_name;
  std::string_view message_class;
  std::span<const std::string_view> properties;
};

constexpr ItemKind kKinds[] = {
    {olMailItem, "MailItem", "IPM.Note", kMailProperties},
    {olAppointmentItem, "AppointmentItem", "IPM.Appointment", kOtherProperties},
    {olContactItem, "ContactItem", "IPM.Contact", kContactProperties},
    {olTaskItem, "TaskItem", "IPM.Task", kOtherProperties},
    {olJournalItem, "JournalItem", "IPM.Activity", kOtherProperties},
    {olNoteItem, "NoteItem", "IPM.StickyNote", kOtherProperties},
};

const ItemKind* KindOf(int type) {
  for (const ItemKind& kind : kKinds)
    if (kind.type == type) return &kind;
  return nullptr;
}

constexpr std::size_t kEntryIdIndex = 0;
constexpr std::size_t kMessageClassIndex = 4;

int IndexOf(std::span<const std::string_view> names, std::string_view name) {
  for (std::size_t i = 0; i < names.size(); ++i)
    if (EqualsIgnoreCase(names[i], name)) return static_cast<int>(i);
  return -1;
}

}  // namespace

std::string detail::AppLink::NewEntryId() {
  char text[40];
  std::snprintf(text, sizeof text, "00000000%016llX",
                static_cast<unsigned long long>(++last_entry));
  return text;
}

bool IsKnownProperty(std::string_view name) {
  for (const ItemKind& kind : kKinds)
    if (IndexOf(kind.properties, name) >= 0) return true;
  return false;
}

Item::Item(OlItemType type, std::shared_ptr<detail::AppLink> app)
    : type_(type), app_(std::move(app)) {
  entry_id_ = app_ ? app_->NewEntryId() : std::string();
  const ItemKind* kind = KindOf(type_);
  values_.resize(kind ? kind->properties.size() : 0);
  if (kind) values_[kMessageClassIndex] = std::string(kind->message_class);
}

std::string_view Item::TypeName() const {
  const ItemKind* kind = KindOf(type_);
  return kind ? kind->type_name : std::string_view("Item");
}

std::span<const std::string_view> Item::PropertyNames() const {
  const ItemKind* kind = KindOf(type_);
  return kind ? kind->properties : std::span<const std::string_view>();
}

std::optional<std::string> Item::GetProperty(std::string_view name) const {
  const int index = IndexOf(PropertyNames(), name);
  if (index < 0) return std::nullopt;
  if (static_cast<std::size_t>(index) == kEntryIdIndex) return entry_id_;
  return values_[index];
}

bool Item::SetProperty(std::string_view name, std::string value) {
  const int index = IndexOf(PropertyNames(), name);
  if (index < 0 || static_cast<std::size_t>(index) == kEntryIdIndex) return false;
  values_[index] = std::move(value);
  return true;
}

bool Item::Save() {
  if (!parent_ && app_ && app_->app) {
    NameSpace* session = app_->app->GetNamespace("MAPI");
    parent_ = session->GetDefaultFolder(type_ == olContactItem ? olFolderContacts : olFolderDrafts);
  }
  if (!parent_) return false;
  if (!saved_) {
    saved_ = true;
    parent_->Items().Insert(shared_from_this());
  } else {
    parent_->Items().Changed(shared_from_this());
  }
  return true;
}

bool Item::Move(Folder* destination) {
  if (!destination || !saved_ || !parent_ || destination == parent_) return false;
  auto self = shared_from_this();
  parent_->Items().Remove(*this);
  parent_ = destination;
  destination->Items().Insert(self);
  return true;
}

bool Item::Delete() {
  if (!saved_ || !parent_) return false;
  Folder* deleted = parent_->Session().DeletedItemsFor(*parent_);
  if (deleted && !parent_->IsWithin(deleted)) return Move(deleted);
  auto self = shared_from_this();  // the folder held the last reference, perhaps
  parent_->Items().Remove(*this);
  parent_ = nullptr;
  saved_ = false;
  return true;
}

bool Item::Display(bool modal) {
  if (!app_ || !app_->app) return false;
  return app_->app->DisplayItem(shared_from_this(), modal) != nullptr;
}

std::shared_ptr<Item> CreateItemOfType(OlItemType type, std::shared_ptr<detail::AppLink> app) {
  switch (type) {
    case olMailItem:
      return std::make_shared<MailItem>(type, std::move(app));
    case olContactItem:
      return std::make_shared<ContactItem>(type, std::move(app));
    default:
      if (!KindOf(type)) return nullptr;
      return std::make_shared<Item>(type, std::move(app));
  }
}

std::shared_ptr<ContactItem> AsContact(const std::shared_ptr<Item>& item) {
  return std::dynamic_pointer_cast<ContactItem>(item);
}

std::shared_ptr<MailItem> AsMail(const std::shared_ptr<Item>& item) {
  return std::dynamic_pointer_cast<MailItem>(item);
}

const Attachment* Attachments::Item(int index) const {
  if (index < 1 || index > Count()) return nullptr;
  return list_[index - 1].get();
}

const Attachment* Attachments::Add(const std::filesystem::path& source) {
  std::optional<std::string> content = ReadWholeFile(source);
  if (!content) return nullptr;
  list_.push_back(std::make_unique<Attachment>(source, std::move(*content)));
  return list_.back().get();
}

bool Attachments::Remove(int index) {
  if (index < 1 || index > Count()) return false;
  list_.erase(list_.begin() + (index - 1));
  return true;
}

std::shared_ptr<Item> ItemList::Item(int index) const {
  if (index < 1 || index > Count()) return nullptr;
  return items_[index - 1];
}

}  // namespace platform::outlook
