// A person's input on the widgets, handed to the model on the test driver's path.
#include <QtGui/QKeyEvent>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QComboBox>
#include <QtWidgets/QLineEdit>
#include <QtWidgets/QListWidget>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QTreeWidget>

#include "platform/ui/controls.h"
#include "platform/ui/qt/qt_renderer.h"
#include "platform/ui/qt/qt_text.h"

namespace platform::ui::qt {
namespace {

// The toolkit's key code of a Qt key the model acts on; 0 for keys left to the widget.
int toolkitKey(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      return key::Return;
    case Qt::Key_Escape:
      return key::Escape;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return key::Tab;
    case Qt::Key_Backspace:
      return key::Back;
    case Qt::Key_Delete:
      return key::Delete;
    case Qt::Key_Left:
      return key::Left;
    case Qt::Key_Right:
      return key::Right;
    case Qt::Key_Up:
      return key::Up;
    case Qt::Key_Down:
      return key::Down;
    case Qt::Key_Home:
      return key::Home;
    case Qt::Key_End:
      return key::End;
    case Qt::Key_Space:
      return key::Space;
    default:
      return 0;
  }
}

int shiftOf(Qt::KeyboardModifiers m) {
  return (m & Qt::ShiftModifier ? ShiftMask : 0) | (m & Qt::ControlModifier ? CtrlMask : 0) |
         (m & Qt::AltModifier ? AltMask : 0);
}

QLineEdit* lineEditOf(QWidget* w) {
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit;
  if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->lineEdit();
  return nullptr;
}

}  // namespace

void QtRenderer::bindInput(Control& c, QWidget* w) {
  if (w != widget(c)) owners_[w] = &c;  // an inner part (a combo's line edit)
  w->installEventFilter(this);
  Control* control = &c;
  switch (c.kind()) {
    case ControlKind::CommandButton:
    case ControlKind::CheckBox:
    case ControlKind::OptionButton:
      // The widget's own toggle is drawn over by the model's value after the click.
      connect(static_cast<QAbstractButton*>(w), &QAbstractButton::clicked, this, [this, control] {
        if (!syncing_ && bound_.count(control)) asPerson([&] { input_.click(*control); });
      });
      break;
    case ControlKind::ComboBox:
      if (auto* combo = qobject_cast<QComboBox*>(w)) {
        connect(combo, &QComboBox::activated, this, [this, control](int i) {
          if (!syncing_ && bound_.count(control))
            asPerson([&] { input_.pick(static_cast<ComboBox&>(*control), i); });
        });
      }
      if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        // Pasted or otherwise edited text the keys did not bring.
        connect(edit, &QLineEdit::textEdited, this, [this, control](const QString& text) {
          if (syncing_ || !bound_.count(control)) return;
          std::string t = fromQt(text);
          if (t != control->text()) asPerson([&] { control->setText(t); });
        });
      }
      break;
    case ControlKind::TextBox:
      connect(static_cast<QLineEdit*>(w), &QLineEdit::textEdited, this,
              [this, control](const QString& text) {
                if (syncing_ || !bound_.count(control)) return;
                std::string t = fromQt(text);
                if (t != control->text()) asPerson([&] { control->setText(t); });
              });
      break;
    case ControlKind::ListBox: {
      auto* list = static_cast<QListWidget*>(w);
      connect(list, &QListWidget::itemPressed, this, [this, control, list](QListWidgetItem* item) {
        if (syncing_ || !bound_.count(control)) return;
        asPerson([&] { input_.pick(static_cast<ListBox&>(*control), list->row(item)); });
      });
      connect(list, &QListWidget::itemChanged, this, [this, control, list](QListWidgetItem* item) {
        if (syncing_ || !bound_.count(control)) return;
        auto& model = static_cast<ListBox&>(*control);
        int row = list->row(item);
        bool on = item->checkState() == Qt::Checked;
        if (model.checkBoxes() && row >= 0 && row < model.count() && model.checked(row) != on)
          asPerson([&] { input_.tick(model, row, on); });
      });
      connect(list, &QListWidget::itemDoubleClicked, this, [this, control] {
        if (!syncing_ && bound_.count(control)) asPerson([&] { control->raiseDblClick(); });
      });
      break;
    }
    case ControlKind::ListView: {
      auto* view = static_cast<QTreeWidget*>(w);
      connect(view, &QTreeWidget::itemPressed, this, [this, control, view](QTreeWidgetItem* item) {
        if (syncing_ || !bound_.count(control)) return;
        int row = view->indexOfTopLevelItem(item);
        asPerson([&] { input_.clickRow(static_cast<ListView&>(*control), row); });
      });
      connect(view, &QTreeWidget::itemDoubleClicked, this, [this, control] {
        if (!syncing_ && bound_.count(control)) asPerson([&] { control->raiseDblClick(); });
      });
      break;
    }
    default:
      break;
  }
}

void QtRenderer::syncSelectionFromWidget(Control& c) {
  if (c.kind() != ControlKind::TextBox && c.kind() != ControlKind::ComboBox) return;
  QLineEdit* edit = lineEditOf(widget(c));
  if (!edit) return;
  auto& box = static_cast<TextBox&>(c);
  if (fromQt(edit->text()) != box.text()) return;  // the model's text is drawn next
  int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
  int length = edit->hasSelectedText() ? static_cast<int>(edit->selectedText().size()) : 0;
  int byteStart = byteOffset(box.text(), start);
  int byteEnd = byteOffset(box.text(), start + length);
  if (box.selStart() == byteStart && box.selLength() == byteEnd - byteStart) return;
  ++syncing_;
  box.setSelStart(byteStart);
  box.setSelLength(byteEnd - byteStart);
  --syncing_;
}

bool QtRenderer::keyPressed(Control& c, QKeyEvent& e) {
  Form& form = c.form();
  if (!toolkit_.acceptsInput(form)) return true;
  int code = toolkitKey(e.key());
  Qt::KeyboardModifiers mods = e.modifiers() & ~Qt::KeypadModifier;
  QString text = e.text();
  bool printable = !text.isEmpty() && text[0].isPrint() && code != key::Space &&
                   !(mods & (Qt::ControlModifier | Qt::AltModifier));
  // Shift+arrows select, Ctrl+keys copy and paste: the line edit does those by itself.
  bool textKeyLeftToWidget =
      (c.kind() == ControlKind::TextBox || c.kind() == ControlKind::ComboBox) &&
      (mods & (Qt::ShiftModifier | Qt::ControlModifier)) &&
      (code == key::Left || code == key::Right || code == key::Home || code == key::End);
  if ((!code && !printable) || textKeyLeftToWidget) return false;
  asPerson([&] {
    if (toolkit_.activeForm() != &form) form.bringToFront();
    if (&c != &form && !c.hasFocus() && c.canFocusNow()) c.setFocus();
    syncSelectionFromWidget(c);
    if (printable)
      input_.type(fromQt(text));
    else
      input_.press(code, shiftOf(mods));
  });
  return true;
}

bool QtRenderer::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::KeyPress: {
      Control* c = controlOf(watched);
      if (!c) break;
      // A combo's list that is dropped down keeps its own keys.
      if (auto* combo = qobject_cast<QComboBox*>(watched); combo && combo->view()->isVisible())
        break;
      if (keyPressed(*c, static_cast<QKeyEvent&>(*event))) return true;
      break;
    }
    case QEvent::ShortcutOverride: {
      // Keys the model handles must reach the key press, not a window shortcut.
      auto& key = static_cast<QKeyEvent&>(*event);
      if (controlOf(watched) && toolkitKey(key.key())) {
        event->accept();
        return false;
      }
      break;
    }
    case QEvent::FocusIn: {
      if (syncing_) break;
      auto reason = static_cast<QFocusEvent*>(event)->reason();
      if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason) break;
      if (Control* c = controlOf(watched); c && c->kind() != ControlKind::Form) focusedByPerson(*c);
      break;
    }
    case QEvent::WindowActivate: {
      if (syncing_) break;
      Control* c = controlOf(watched);
      if (c && c->kind() == ControlKind::Form) activatedByPerson(static_cast<Form&>(*c));
      break;
    }
    case QEvent::Paint:
      // A window was taken and is on screen now: the next spare is made right after.
      if (!spare_ && spareTimer_.isActive() && spareTimer_.interval() != 0) spareTimer_.start(0);
      break;
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace platform::ui::qt
