#include "platform/ui/qt/qt_renderer.h"

#include <QtCore/QDir>
#include <QtGui/QCloseEvent>
#include <QtGui/QScreen>
#include <QtGui/QWindow>
#include <QtWidgets/QApplication>
#include <QtWidgets/QWidget>
#include <algorithm>
#include <cstdio>

#include "platform/ui/qt/qt_pump.h"
#include "platform/ui/qt/qt_text.h"

namespace platform::ui::qt {

// A form's top-level window: its close box asks the form, which may refuse.
class FormWindow final : public QWidget {
 public:
  // Without a form it is a spare, given its form when taken.
  FormWindow(QtRenderer& renderer, Form* form) : renderer_(renderer), form_(form) {
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowFlag(Qt::Dialog, true);
  }
  void attach(Form& form) { form_ = &form; }
  void detach() { form_ = nullptr; }

 protected:
  void closeEvent(QCloseEvent* e) override {
    e->ignore();  // the model decides; the window follows it
    if (form_) renderer_.closeBoxPressed(*form_);
  }

 private:
  QtRenderer& renderer_;
  Form* form_;
};

QtRenderer::QtRenderer(Toolkit& toolkit, Options options)
    : toolkit_(toolkit), options_(std::move(options)), input_(toolkit, false) {
  if (QScreen* screen = QGuiApplication::primaryScreen()) dpi_ = screen->logicalDotsPerInch();
  // The forms are laid out for the narrow faces of the original desktop; where those are
  // missing, a condensed face keeps captions inside their controls.
  for (const char* face : {"MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "System"})
    QFont::insertSubstitutions(QString::fromLatin1(face), {QStringLiteral("DejaVu Sans Condensed"),
                                                           QStringLiteral("Liberation Sans Narrow"),
                                                           QStringLiteral("Liberation Sans")});
  if (!options_.screenshotFolder.empty()) QDir().mkpath(toQt(options_.screenshotFolder));
  toolkit_.onChanged = [this](Control& c) { changed(c); };
  toolkit_.onFormGone = [this](Form& f) { formGone(f); };
  pump_ = std::make_unique<QtPump>(toolkit_.loop(), [this] { flush(); });
  spareTimer_.setSingleShot(true);
  connect(&spareTimer_, &QTimer::timeout, this, [this] { prepareSpare(); });
  prepareSpare();
  for (Form* f : toolkit_.forms()) changed(*f);
}

QtRenderer::~QtRenderer() {
  pump_.reset();
  toolkit_.onChanged = nullptr;
  toolkit_.onFormGone = nullptr;
  for (auto& [control, b] : bound_) {
    if (control->kind() == ControlKind::Form && b.widget) {
      static_cast<FormWindow*>(b.widget.data())->detach();
      bury(b.widget);
    }
  }
  bound_.clear();
  owners_.clear();
  for (auto& w : graveyard_) delete w.data();
  delete spare_.data();
}

void QtRenderer::prepareSpare() {
  if (spare_) return;
  spare_ = new FormWindow(*this, nullptr);
  spare_->winId();  // the native window: made now, not while a person waits for it
}

int QtRenderer::pixels(int twips) const {
  return twipsToPixels(twips, dpi_);
}

QWidget* QtRenderer::window(const Form& form) const {
  return widget(form);
}

QWidget* QtRenderer::widget(const Control& control) const {
  auto it = bound_.find(&control);
  return it == bound_.end() ? nullptr : it->second.widget.data();
}

Control* QtRenderer::controlOf(const QObject* object) const {
  for (const QObject* o = object; o; o = o->parent()) {
    auto it = owners_.find(o);
    if (it != owners_.end()) return it->second;
  }
  return nullptr;
}

void QtRenderer::changed(Control& c) {
  if (dirtySet_.insert(&c).second) dirty_.push_back(&c);
}

void QtRenderer::forgetSubtree(const Control& c) {
  auto it = bound_.find(&c);
  if (it != bound_.end()) {
    if (it->second.widget) owners_.erase(it->second.widget.data());
    bound_.erase(it);
  }
  if (dirtySet_.erase(&c))
    dirty_.erase(std::remove(dirty_.begin(), dirty_.end(), &c), dirty_.end());
  for (const auto& child : c.children()) forgetSubtree(*child);
}

void QtRenderer::formGone(Form& form) {
  QWidget* w = window(form);
  // Inner parts of its widgets (a combo's line edit) point at controls that go now.
  for (auto it = owners_.begin(); it != owners_.end();) {
    if (&it->second->form() == &form)
      it = owners_.erase(it);
    else
      ++it;
  }
  forgetSubtree(form);
  if (!w) return;
  static_cast<FormWindow*>(w)->detach();
  w->hide();
  // Owned windows stay with the desktop, not with the window that goes.
  for (auto& [control, b] : bound_) {
    if (control->kind() == ControlKind::Form && b.widget && b.widget->windowHandle() &&
        w->windowHandle() && b.widget->windowHandle()->transientParent() == w->windowHandle())
      b.widget->windowHandle()->setTransientParent(nullptr);
  }
  bury(w);
}

void QtRenderer::bury(QWidget* w) {
  // The widget may be inside its own signal handler: it goes once no input is running.
  w->hide();
  graveyard_.emplace_back(w);
}

void QtRenderer::flush() {
  if (flushing_) return;
  flushing_ = true;
  ++syncing_;
  // A form's change may add controls, so forms go first; new windows draw all their controls.
  std::vector<Control*> work;
  work.swap(dirty_);
  dirtySet_.clear();
  std::stable_partition(work.begin(), work.end(),
                        [](Control* c) { return c->kind() == ControlKind::Form; });
  std::vector<Form*> focusForms;
  for (Control* c : work) {
    if (!bound_.count(c) && c->kind() == ControlKind::Form) {
      Form& f = static_cast<Form&>(*c);
      if (!f.visible() || !f.loaded()) continue;  // drawn once it is first shown
      buildWindow(f);
    }
    auto it = bound_.find(c);
    if (it == bound_.end()) {
      // A control of a drawn form that came after the window was built.
      Control* parent = c->parent();
      auto pit = parent ? bound_.find(parent) : bound_.end();
      if (pit == bound_.end() || !pit->second.widget) continue;
      buildChildren(*parent, pit->second.widget);
      it = bound_.find(c);
      if (it == bound_.end()) continue;
    }
    if (c->kind() == ControlKind::Form) {
      buildChildren(*c, it->second.widget);  // controls added since
      syncForm(static_cast<Form&>(*c), bound_.find(c)->second);
    } else {
      syncControl(*c, it->second);
    }
    if (std::find(focusForms.begin(), focusForms.end(), &c->form()) == focusForms.end())
      focusForms.push_back(&c->form());
  }
  for (Form* f : focusForms)
    if (bound_.count(f)) syncFocus(*f);
  --syncing_;
  if (handling_ == 0) {
    for (auto& w : graveyard_) delete w.data();
    graveyard_.clear();
  }
  flushing_ = false;
}

void QtRenderer::buildWindow(Form& form) {
  auto* w = static_cast<FormWindow*>(spare_.data());
  spare_ = nullptr;
  if (w)
    w->attach(form);
  else
    w = new FormWindow(*this, &form);
  spareTimer_.start(kSpareDelayMs);
  Bound& b = bound_[&form];
  b.widget = w;
  owners_[w] = &form;
  w->installEventFilter(this);
  buildChildren(form, w);
}

void QtRenderer::syncForm(Form& form, Bound& b) {
  QWidget* w = b.widget;
  if (!w) return;
  w->setWindowTitle(toQt(form.caption()));
  w->setEnabled(form.enabled());
  w->setToolTip(toQt(form.toolTip()));
  QFont font(toQt(form.font().name), form.font().size);
  font.setBold(form.font().bold);
  w->setFont(font);
  w->move(pixels(form.left()), pixels(form.top()));
  w->setFixedSize(pixels(form.width()), pixels(form.height()));
  if (form.mousePointer() == MousePointer::Hourglass)
    w->setCursor(Qt::WaitCursor);
  else
    w->unsetCursor();

  bool show = form.visible() && form.loaded();
  Qt::WindowModality modality = form.modal() ? Qt::ApplicationModal : Qt::NonModal;
  if (show && w->isVisible() && w->windowModality() != modality) w->hide();  // takes a new show
  w->setWindowModality(modality);
  if (show) {
    Form* owner = form.owner();
    QWidget* ownerWindow = owner ? window(*owner) : nullptr;
    if (!w->isVisible()) {
      w->winId();  // the native window, for its transient parent
      if (ownerWindow && ownerWindow->windowHandle())
        w->windowHandle()->setTransientParent(ownerWindow->windowHandle());
      w->setWindowState(form.windowState() == WindowState::Minimized   ? Qt::WindowMinimized
                        : form.windowState() == WindowState::Maximized ? Qt::WindowMaximized
                                                                       : Qt::WindowNoState);
      w->show();
    }
    if (toolkit_.activeForm() == &form && !w->isActiveWindow()) {
      w->raise();
      w->activateWindow();
    }
  } else if (w->isVisible()) {
    w->hide();
  }
  bool newlyShown = show && !b.shown;
  bool retitled = show && b.caption != form.caption();
  b.shown = show;
  b.caption = form.caption();
  if (newlyShown || retitled) screenshot(form);
}

void QtRenderer::syncFocus(Form& form) {
  Control* active = form.activeControl();
  if (!active) return;
  QWidget* w = widget(*active);
  if (w && !w->hasFocus() && w->isVisible()) w->setFocus(Qt::OtherFocusReason);
}

void QtRenderer::screenshot(Form& form) {
  if (options_.screenshotFolder.empty()) return;
  QWidget* w = window(form);
  if (!w) return;
  // The window is drawn offscreen from its widgets: no need to wait for the display.
  std::string name = form.name() + ".png";
  if (options_.numbered) {
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%04d-", screenshots_ + 1);
    name = prefix + name;
  }
  std::string path = options_.screenshotFolder + "/" + name;
  if (w->grab().save(toQt(path), "PNG")) {
    ++screenshots_;
    screenshotFiles_.push_back(path);
  }
}

void QtRenderer::asPerson(const std::function<void()>& f) {
  ++handling_;
  f();
  --handling_;
}

void QtRenderer::closeBoxPressed(Form& form) {
  asPerson([&] { input_.closeBox(form); });
}

void QtRenderer::activatedByPerson(Form& form) {
  if (toolkit_.activeForm() == &form || !toolkit_.acceptsInput(form)) return;
  asPerson([&] { form.bringToFront(); });
}

void QtRenderer::focusedByPerson(Control& c) {
  if (c.hasFocus() || !toolkit_.acceptsInput(c.form()) || !c.canFocusNow()) return;
  asPerson([&] {
    if (toolkit_.activeForm() != &c.form()) c.form().bringToFront();
    c.setFocus();
  });
}

}  // namespace platform::ui::qt
