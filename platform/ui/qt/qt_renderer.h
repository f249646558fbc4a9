#pragma once
// Real windows for the toolkit's forms, drawn with Qt Widgets.
//
// The renderer follows the model and feeds it, never keeps logic of its own: every loaded,
// visible form is a top-level window (modal forms modal, owned forms above their owner), every
// control the matching widget, placed in twips at the screen's resolution. Model changes reach
// the widgets through Toolkit::onChanged, collected and drawn before Qt handles its events; a
// person's typing, clicks, keys, focus changes and close boxes reach the model through the test
// driver's own input path (UiDriver without modal answers), so they raise exactly the events a
// test raises. The renderer installs a QtPump on the toolkit's loop: whichever loop runs, the
// windows paint and take input.
//
// One renderer per toolkit, on the loop's owner thread, after the QApplication and before the
// forms it draws are shown; it must outlive its use by the toolkit (it unhooks itself when
// destroyed).
#include <QtCore/QObject>
#include <QtCore/QPointer>
#include <QtCore/QTimer>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/ui/form.h"
#include "platform/ui/toolkit.h"
#include "platform/ui/ui_driver.h"

class QKeyEvent;
class QWidget;

namespace platform::ui::qt {

class QtPump;
class FormWindow;

class QtRenderer final : public QObject {
  Q_OBJECT

 public:
  struct Options {
    // When set, a PNG of a window is written here each time it is shown or changes caption:
    // "NNNN-<form>.png" numbered in order, or "<form>.png" (the last one kept) when !numbered.
    std::string screenshotFolder;
    bool numbered = true;
  };

  explicit QtRenderer(Toolkit& toolkit) : QtRenderer(toolkit, Options()) {}
  QtRenderer(Toolkit& toolkit, Options options);
  ~QtRenderer() override;

  Toolkit& toolkit() const { return toolkit_; }
  // Draws the model's pending changes now (the pump does it before Qt's events).
  void flush();

  // The window of a form / the widget of a control; null while not drawn.
  QWidget* window(const Form& form) const;
  QWidget* widget(const Control& control) const;
  // Control of a widget (or of a widget inside a control's widget); null when none.
  Control* controlOf(const QObject* object) const;

  int pixels(int twips) const;
  double dotsPerInch() const { return dpi_; }
  int screenshotsWritten() const { return screenshots_; }
  const std::vector<std::string>& screenshotFiles() const { return screenshotFiles_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  friend class FormWindow;
  struct Bound {
    QPointer<QWidget> widget;
    std::vector<std::string> entries;  // list texts as last drawn
    std::string caption;               // form caption as last drawn
    bool shown = false;                // form window as last drawn
  };

  void changed(Control& c);
  void formGone(Form& form);
  void buildWindow(Form& form);
  void buildChildren(Control& parent, QWidget* parentWidget);
  void bindInput(Control& c, QWidget* w);
  void syncControl(Control& c, Bound& b);
  void syncForm(Form& form, Bound& b);
  void syncFocus(Form& form);
  void screenshot(Form& form);
  void forgetSubtree(const Control& c);
  void prepareSpare();
  void bury(QWidget* w);

  // Input, on the driver's path.
  bool keyPressed(Control& c, QKeyEvent& e);
  void focusedByPerson(Control& c);
  void activatedByPerson(Form& form);
  void closeBoxPressed(Form& form);
  void asPerson(const std::function<void()>& f);
  void syncSelectionFromWidget(Control& c);

  Toolkit& toolkit_;
  Options options_;
  UiDriver input_;
  std::unique_ptr<QtPump> pump_;
  double dpi_ = 96;
  std::unordered_map<const Control*, Bound> bound_;
  std::unordered_map<const QObject*, Control*> owners_;  // widgets (and inner parts) to controls
  std::vector<Control*> dirty_;
  std::unordered_set<const Control*> dirtySet_;
  std::vector<QPointer<QWidget>> graveyard_;
  // A top-level window made ahead, native window included: creating one talks to the display
  // server and waits for it, which an arriving call's window should not. Replaced once the
  // window that took it has been painted (or after a delay, if it never is).
  static constexpr int kSpareDelayMs = 100;
  QPointer<QWidget> spare_;  // a FormWindow
  QTimer spareTimer_;
  int syncing_ = 0;   // > 0 while widgets are set from the model: their signals are not input
  int handling_ = 0;  // > 0 while a person's input runs in the model
  bool flushing_ = false;
  int screenshots_ = 0;
  std::vector<std::string> screenshotFiles_;
};

}  // namespace platform::ui::qt
