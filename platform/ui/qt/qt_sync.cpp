// Widgets for the toolkit's controls, and drawing the model's properties on them.
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QProgressBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QStyle>
#include <QtWidgets/QTreeWidget>
#include <algorithm>

#include "platform/ui/controls.h"
#include "platform/ui/form.h"
#include "platform/ui/qt/qt_renderer.h"
#include "platform/ui/qt/qt_text.h"

namespace platform::ui::qt {
namespace {

QWidget* makeWidget(const Control& c, QWidget* parent) {
  switch (c.kind()) {
    case ControlKind::Label: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::TextBox:
      return new QLineEdit(parent);
    case ControlKind::CheckBox: {
      auto* box = new QCheckBox(parent);
      box->setTristate(true);
      return box;
    }
    case ControlKind::OptionButton: {
      auto* option = new QRadioButton(parent);
      option->setAutoExclusive(false);  // the model groups its options
      return option;
    }
    case ControlKind::CommandButton: {
      auto* button = new QPushButton(parent);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setInsertPolicy(QComboBox::NoInsert);
      return combo;
    }
    case ControlKind::ListBox:
      return new QListWidget(parent);
    case ControlKind::ListView: {
      auto* view = new QTreeWidget(parent);
      view->setRootIsDecorated(false);
      view->setUniformRowHeights(true);
      view->setSelectionMode(QAbstractItemView::SingleSelection);
      return view;
    }
    case ControlKind::Frame:
      return new QGroupBox(parent);
    case ControlKind::ProgressBar: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::Form:
    case ControlKind::Timer:
      break;
  }
  return nullptr;
}

// Brings a list widget's entries to `texts`, touching only what differs from the last drawing
// (a load appends thousands, one at a time).
template <class AddFn, class RemoveFn, class SetFn>
void syncEntries(std::vector<std::string>& drawn, const std::vector<std::string>& texts, AddFn add,
                 RemoveFn removeFrom, SetFn set) {
  std::size_t same = 0;
  while (same < drawn.size() && same < texts.size() && drawn[same] == texts[same]) ++same;
  if (same < drawn.size()) {
    // A changed text in place keeps the rest; otherwise everything after it is drawn anew.
    if (drawn.size() == texts.size()) {
      for (std::size_t i = same; i < texts.size(); ++i)
        if (drawn[i] != texts[i]) set(static_cast<int>(i), texts[i]);
      drawn = texts;
      return;
    }
    removeFrom(static_cast<int>(same));
    drawn.resize(same);
  }
  for (std::size_t i = drawn.size(); i < texts.size(); ++i) add(texts[i]);
  drawn = texts;
}

std::vector<std::string> textsOf(const ListEntries& list) {
  std::vector<std::string> out;
  out.reserve(list.entries().size());
  for (const auto& e : list.entries()) out.push_back(e.text);
  return out;
}

void syncText(QLineEdit& edit, const TextBox& box) {
  QString text = toQt(box.text());
  if (edit.text() != text) edit.setText(text);
  edit.setReadOnly(box.locked());
  edit.setMaxLength(box.maxLength() > 0 ? box.maxLength() : 32767);
  edit.setEchoMode(box.passwordChar() ? QLineEdit::Password : QLineEdit::Normal);
  int start = qtOffset(box.text(), box.selStart());
  int end = qtOffset(box.text(), box.selStart() + box.selLength());
  if (end > start) {
    if (edit.selectionStart() != start || edit.selectionLength() != end - start)
      edit.setSelection(start, end - start);
  } else if (edit.cursorPosition() != start || edit.hasSelectedText()) {
    edit.setCursorPosition(start);
  }
}

// The shell's message box names its icon in the caption of "lblIcon": the desktop draws it.
bool drawMessageBoxIcon(const Control& c, QLabel& label) {
  if (c.form().name() != "MsgBox" || c.name() != "lblIcon") return false;
  const std::string& kind = c.caption();
  QStyle::StandardPixmap icon = kind == "Critical"      ? QStyle::SP_MessageBoxCritical
                                : kind == "Question"    ? QStyle::SP_MessageBoxQuestion
                                : kind == "Exclamation" ? QStyle::SP_MessageBoxWarning
                                                        : QStyle::SP_MessageBoxInformation;
  int size = std::min(label.width(), label.height());
  label.setPixmap(label.style()->standardIcon(icon).pixmap(size > 0 ? size : 32));
  return true;
}

bool isDropDown(const Control& c) {
  return c.kind() == ControlKind::ListBox && static_cast<const ListBox&>(c).dropDown();
}

// Where a control stands in its form's window, in twips, through the containers it is in.
QPoint placeInForm(const Control& c) {
  QPoint at(c.left(), c.top());
  for (const Control* p = c.parent(); p && p->kind() != ControlKind::Form; p = p->parent())
    at += QPoint(p->left(), p->top());
  return at;
}

}  // namespace

void QtRenderer::buildChildren(Control& parent, QWidget* parentWidget) {
  for (const auto& child : parent.children()) {
    Control& c = *child;
    if (bound_.count(&c) || c.kind() == ControlKind::Timer) continue;
    // A drop-down belongs to the window, so no container clips it.
    QWidget* host = isDropDown(c) && window(c.form()) ? window(c.form()) : parentWidget;
    QWidget* w = makeWidget(c, host);
    if (!w) continue;
    Bound& b = bound_[&c];
    b.widget = w;
    owners_[w] = &c;
    bindInput(c, w);
    syncControl(c, b);
    buildChildren(c, w);
  }
}

void QtRenderer::syncControl(Control& c, Bound& b) {
  QWidget* w = b.widget;
  if (!w) return;
  const bool dropDown = isDropDown(c);
  const QPoint at = dropDown ? placeInForm(c) : QPoint(c.left(), c.top());
  w->setGeometry(pixels(at.x()), pixels(at.y()), pixels(c.width()), pixels(c.height()));
  w->setVisible(c.visible());
  if (dropDown && c.visible()) w->raise();
  w->setEnabled(c.enabled());
  w->setToolTip(toQt(c.toolTip()));
  QFont font(toQt(c.font().name), c.font().size);
  font.setBold(c.font().bold);
  if (w->font() != font) w->setFont(font);
  if (c.mousePointer() == MousePointer::Hourglass)
    w->setCursor(Qt::WaitCursor);
  else if (c.mousePointer() == MousePointer::Arrow)
    w->setCursor(Qt::ArrowCursor);
  else
    w->unsetCursor();

  switch (c.kind()) {
    case ControlKind::Label:
      if (!drawMessageBoxIcon(c, *static_cast<QLabel*>(w)))
        static_cast<QLabel*>(w)->setText(withoutAccelerators(c.caption()));
      break;
    case ControlKind::TextBox:
      syncText(*static_cast<QLineEdit*>(w), static_cast<const TextBox&>(c));
      break;
    case ControlKind::CheckBox: {
      int v = static_cast<const CheckBox&>(c).value();
      auto* box = static_cast<QCheckBox*>(w);
      box->setText(toQt(c.caption()));
      box->setCheckState(v == 1 ? Qt::Checked : v == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
      break;
    }
    case ControlKind::OptionButton: {
      auto* option = static_cast<QRadioButton*>(w);
      option->setText(toQt(c.caption()));
      option->setChecked(static_cast<const OptionButton&>(c).value());
      break;
    }
    case ControlKind::CommandButton: {
      auto* button = static_cast<QPushButton*>(w);
      button->setText(toQt(c.caption()));
      button->setDefault(static_cast<const CommandButton&>(c).isDefault());
      break;
    }
    case ControlKind::ComboBox: {
      const auto& model = static_cast<const ComboBox&>(c);
      auto* combo = static_cast<QComboBox*>(w);
      bool editable = model.style() == ComboStyle::DropDownCombo;
      if (combo->isEditable() != editable) {
        combo->setEditable(editable);
        if (editable) bindInput(c, combo->lineEdit());  // the new line edit is typed into
      }
      syncEntries(
          b.entries, textsOf(model), [&](const std::string& t) { combo->addItem(toQt(t)); },
          [&](int from) {
            while (combo->count() > from) combo->removeItem(combo->count() - 1);
          },
          [&](int i, const std::string& t) { combo->setItemText(i, toQt(t)); });
      for (int i = 0; i < model.count(); ++i)
        if (combo->itemData(i).toInt() != model.itemData(i))
          combo->setItemData(i, model.itemData(i));
      if (combo->currentIndex() != model.listIndex()) combo->setCurrentIndex(model.listIndex());
      if (editable) syncText(*combo->lineEdit(), model);
      break;
    }
    case ControlKind::ListBox: {
      const auto& model = static_cast<const ListBox&>(c);
      auto* list = static_cast<QListWidget*>(w);
      syncEntries(
          b.entries, textsOf(model), [&](const std::string& t) { list->addItem(toQt(t)); },
          [&](int from) {
            while (list->count() > from) delete list->takeItem(list->count() - 1);
          },
          [&](int i, const std::string& t) { list->item(i)->setText(toQt(t)); });
      for (int i = 0; i < model.count(); ++i) {
        QListWidgetItem* item = list->item(i);
        QVariant data = item->data(Qt::UserRole);
        if (!data.isValid() || data.toInt() != model.itemData(i))
          item->setData(Qt::UserRole, model.itemData(i));
        if (model.checkBoxes()) {
          Qt::CheckState state = model.checked(i) ? Qt::Checked : Qt::Unchecked;
          // An item shows its box only once it holds a check state (new items are checkable
          // but hold none).
          if (!item->data(Qt::CheckStateRole).isValid() || item->checkState() != state) {
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(state);
          }
        }
      }
      if (list->currentRow() != model.listIndex()) list->setCurrentRow(model.listIndex());
      break;
    }
    case ControlKind::ListView: {
      const auto& model = static_cast<const ListView&>(c);
      auto* view = static_cast<QTreeWidget*>(w);
      QStringList headings;
      for (const auto& col : model.columns()) headings << toQt(col.heading);
      if (view->columnCount() != std::max<int>(1, headings.size()) ||
          view->headerItem()->text(0) != (headings.isEmpty() ? QString() : headings[0])) {
        view->setColumnCount(std::max<int>(1, headings.size()));
        view->setHeaderLabels(headings);
        for (int i = 0; i < static_cast<int>(model.columns().size()); ++i)
          view->setColumnWidth(i, pixels(model.columns()[i].width));
      }
      view->setSelectionBehavior(model.fullRowSelect() ? QAbstractItemView::SelectRows
                                                       : QAbstractItemView::SelectItems);
      // Rows are drawn as their joined cells; a changed row is redrawn.
      std::vector<std::string> rows;
      rows.reserve(model.rows().size());
      for (const auto& r : model.rows()) {
        std::string joined;
        for (const auto& cell : r) joined += cell + '\t';
        rows.push_back(std::move(joined));
      }
      auto item = [&](int row) {
        auto* it = new QTreeWidgetItem;
        for (int col = 0; col < view->columnCount(); ++col)
          it->setText(col, toQt(model.cell(row, col)));
        return it;
      };
      syncEntries(
          b.entries, rows,
          [&](const std::string&) { view->addTopLevelItem(item(view->topLevelItemCount())); },
          [&](int from) {
            while (view->topLevelItemCount() > from)
              delete view->takeTopLevelItem(view->topLevelItemCount() - 1);
          },
          [&](int row, const std::string&) {
            delete view->takeTopLevelItem(row);
            view->insertTopLevelItem(row, item(row));
          });
      int sel = model.selectedRow();
      QTreeWidgetItem* want = sel >= 0 ? view->topLevelItem(sel) : nullptr;
      if (view->currentItem() != want) {
        if (want)
          view->setCurrentItem(want);
        else
          view->clearSelection();
      }
      break;
    }
    case ControlKind::Frame:
      static_cast<QGroupBox*>(w)->setTitle(withoutAccelerators(c.caption()));
      break;
    case ControlKind::ProgressBar: {
      const auto& model = static_cast<const ProgressBar&>(c);
      auto* bar = static_cast<QProgressBar*>(w);
      if (bar->minimum() != model.min() || bar->maximum() != model.max())
        bar->setRange(model.min(), model.max());
      bar->setValue(model.value());
      break;
    }
    case ControlKind::Form:
    case ControlKind::Timer:
      break;
  }
}

}  // namespace platform::ui::qt
