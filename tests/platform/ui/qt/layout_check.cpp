#include "tests/platform/ui/qt/layout_check.h"

#include <QtWidgets/QAbstractButton>
#include <QtWidgets/QCheckBox>
#include <QtWidgets/QGroupBox>
#include <QtWidgets/QHeaderView>
#include <QtWidgets/QLabel>
#include <QtWidgets/QMenuBar>
#include <QtWidgets/QPushButton>
#include <QtWidgets/QRadioButton>
#include <QtWidgets/QStyle>
#include <QtWidgets/QStyleOption>
#include <QtWidgets/QToolBar>
#include <QtWidgets/QToolButton>
#include <QtWidgets/QTreeWidget>
#include <QtWidgets/QTreeWidgetItemIterator>
#include <algorithm>

#include "platform/ui/form.h"
#include "platform/ui/qt/qt_renderer.h"

namespace platform::ui::qt::testing {
namespace {

// A text that ends short of the button's bevel still reads as cut off.
constexpr int kButtonPadding = 2;

struct Found {
  const QWidget* widget;
  std::string name;
};

class Checker {
 public:
  Checker(const QWidget& window, const ControlName& nameOf, const LayoutRules& rules)
      : window_(window), nameOf_(nameOf), rules_(rules) {}

  std::vector<LayoutFault> run() {
    checkWindow();
    visit(window_, "the window");
    return std::move(faults_);
  }

 private:
  void fault(const std::string& control, std::string what, int pixels) {
    faults_.push_back({control, std::move(what) + " by " + std::to_string(pixels) + " px", pixels});
  }

  static std::string quoted(const QString& text) { return "'" + text.toStdString() + "'"; }

  // What a button or label draws: "&&" is an ampersand, a lone "&" underlines the next letter;
  // trailing blanks draw nothing.
  static QString shown(QString text) {
    QString out;
    for (qsizetype i = 0; i < text.size(); ++i) {
      if (text[i] == '&' && i + 1 < text.size()) ++i;
      out += text[i];
    }
    while (!out.isEmpty() && out.back().isSpace()) out.chop(1);
    return out;
  }

  void checkWindow() {
    const int width = window_.width();
    const int height = window_.height() + rules_.titleBarHeight;
    if (width > rules_.screenWidth)
      fault("the window", "is wider than the screen", width - rules_.screenWidth);
    if (height > rules_.screenHeight)
      fault("the window", "with its title bar is taller than the screen",
            height - rules_.screenHeight);
    QString title = window_.windowTitle().trimmed();
    if (title.isEmpty()) return;
    int need = QFontMetrics(window_.font()).horizontalAdvance(title) + rules_.titleBarReserve;
    if (need > width) fault("the window", "title " + quoted(title) + " is too long", need - width);
  }

  // The controls directly below `container`, looking through Qt's own inner widgets.
  void collect(const QWidget& container, std::vector<Found>& out) const {
    for (const QObject* o : container.children()) {
      if (!o->isWidgetType()) continue;
      const auto& w = static_cast<const QWidget&>(*o);
      if (w.isWindow() || !w.isVisibleTo(&window_)) continue;
      if (std::optional<std::string> name = nameOf_(w)) {
        if (!rules_.popups.count(*name)) out.push_back({&w, *name});
      } else {
        collect(w, out);
      }
    }
  }

  QRect clientArea(const QWidget& parent) const {
    if (&parent == &window_) return parent.rect();
    if (const auto* box = qobject_cast<const QGroupBox*>(&parent)) {
      QStyleOptionGroupBox opt = groupBoxOption(*box);
      return box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxContents,
                                          box);
    }
    return parent.contentsRect();
  }

  static QStyleOptionGroupBox groupBoxOption(const QGroupBox& box) {
    QStyleOptionGroupBox opt;
    opt.initFrom(&box);
    opt.text = box.title();
    opt.lineWidth = 1;
    opt.midLineWidth = 0;
    opt.textAlignment = box.alignment();
    opt.subControls = QStyle::SC_GroupBoxFrame;
    if (!box.title().isEmpty()) opt.subControls |= QStyle::SC_GroupBoxLabel;
    opt.features = box.isFlat() ? QStyleOptionFrame::Flat : QStyleOptionFrame::None;
    return opt;
  }

  // How far `inner` sticks out of `outer`, and on which side.
  static std::pair<int, const char*> overhang(const QRect& inner, const QRect& outer) {
    std::pair<int, const char*> worst{0, ""};
    auto take = [&](int by, const char* side) {
      if (by > worst.first) worst = {by, side};
    };
    take(outer.left() - inner.left(), "left of");
    take(inner.right() - outer.right(), "right of");
    take(outer.top() - inner.top(), "above");
    take(inner.bottom() - outer.bottom(), "below");
    return worst;
  }

  void visit(const QWidget& parent, const std::string& parentName) {
    std::vector<Found> kids;
    collect(parent, kids);
    const QRect client = clientArea(parent);
    for (const Found& k : kids) {
      const QRect inParent(k.widget->mapTo(&parent, QPoint(0, 0)), k.widget->size());
      auto [by, side] = overhang(inParent, client);
      if (by > 0) {
        fault(k.name, std::string("sticks out ") + side + " " + parentName + "'s client area", by);
      } else if (&parent != &window_) {
        const QRect inWindow(k.widget->mapTo(&window_, QPoint(0, 0)), k.widget->size());
        auto [wby, wside] = overhang(inWindow, window_.rect());
        if (wby > 0) fault(k.name, std::string("sticks out ") + wside + " the window", wby);
      }
      checkCaption(*k.widget, k.name);
    }
    for (std::size_t i = 0; i < kids.size(); ++i) {
      for (std::size_t j = 0; j < i; ++j) {
        QRect a(kids[i].widget->mapTo(&parent, QPoint(0, 0)), kids[i].widget->size());
        QRect b(kids[j].widget->mapTo(&parent, QPoint(0, 0)), kids[j].widget->size());
        QRect both = a.intersected(b);
        if (!both.isEmpty())
          fault(kids[i].name, "overlaps " + kids[j].name, std::min(both.width(), both.height()));
      }
    }
    for (const Found& k : kids) visit(*k.widget, k.name);
  }

  void fitText(const std::string& name, const QString& text, const QFontMetrics& fm,
               const QRect& room) {
    int need = fm.horizontalAdvance(text);
    if (need > room.width())
      fault(name, "caption " + quoted(text) + " is too wide", need - room.width());
    else if (fm.height() > room.height())
      fault(name, "caption " + quoted(text) + " is too tall", fm.height() - room.height());
  }

  void checkCaption(const QWidget& w, const std::string& name) {
    QFontMetrics fm(w.font());
    if (const auto* label = qobject_cast<const QLabel*>(&w)) {
      QString text = shown(label->text());
      if (text.isEmpty() || !label->pixmap().isNull()) return;
      QRect room = label->contentsRect().adjusted(label->margin(), label->margin(),
                                                  -label->margin(), -label->margin());
      int flags = static_cast<int>(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
      QRect needed = fm.boundingRect(room, flags, text);
      if (needed.width() > room.width())
        fault(name, "caption " + quoted(text) + " is too wide", needed.width() - room.width());
      else if (needed.height() > room.height())
        fault(name, "caption " + quoted(text) + " needs more lines than fit",
              needed.height() - room.height());
      return;
    }
    if (qobject_cast<const QCheckBox*>(&w) || qobject_cast<const QRadioButton*>(&w)) {
      const auto& button = static_cast<const QAbstractButton&>(w);
      QString text = shown(button.text());
      if (text.isEmpty()) return;
      QStyleOptionButton opt;
      opt.initFrom(&button);
      opt.text = button.text();
      auto element = qobject_cast<const QCheckBox*>(&w) ? QStyle::SE_CheckBoxContents
                                                        : QStyle::SE_RadioButtonContents;
      fitText(name, text, fm, w.style()->subElementRect(element, &opt, &w));
      return;
    }
    if (const auto* button = qobject_cast<const QPushButton*>(&w)) {
      QString text = shown(button->text());
      if (text.isEmpty()) return;
      QStyleOptionButton opt;
      opt.initFrom(button);
      opt.text = button->text();
      QRect room = w.style()->subElementRect(QStyle::SE_PushButtonContents, &opt, &w);
      fitText(name, text, fm, room.adjusted(kButtonPadding, 0, -kButtonPadding, 0));
      return;
    }
    if (const auto* box = qobject_cast<const QGroupBox*>(&w)) {
      QString text = shown(box->title());
      if (text.isEmpty()) return;
      QStyleOptionGroupBox opt = groupBoxOption(*box);
      QRect label =
          box->style()->subControlRect(QStyle::CC_GroupBox, &opt, QStyle::SC_GroupBoxLabel, box);
      // The style may draw the title in a heavier face than the box's font.
      int need = label.left() + std::max(label.width(), fm.horizontalAdvance(text));
      int room = box->width() - label.left();
      if (need > room) fault(name, "title " + quoted(text) + " is too wide", need - room);
      return;
    }
    if (const auto* tree = qobject_cast<const QTreeWidget*>(&w)) {
      const QHeaderView* header = tree->header();
      if (header && header->isHidden()) {
        // A navigation tree: its rows are captions, cut off when wider than their column.
        QFontMetrics rfm(tree->font());
        // An item view leaves this much beside a row's text on each side.
        const int margin =
            tree->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, tree) + 1;
        for (QTreeWidgetItemIterator it(const_cast<QTreeWidget*>(tree)); *it; ++it) {
          QString text = (*it)->text(0);
          int depth = 0;
          for (const QTreeWidgetItem* p = (*it)->parent(); p; p = p->parent()) ++depth;
          int need = (depth + (tree->rootIsDecorated() ? 1 : 0)) * tree->indentation() +
                     rfm.horizontalAdvance(text) + 2 * margin;
          int room = tree->columnWidth(0);
          if (need > room) fault(name, "row " + quoted(text) + " is cut off", need - room);
        }
        return;
      }
      if (!header) return;
      QFontMetrics hfm(header->font());
      int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
      for (int i = 0; i < tree->columnCount(); ++i) {
        if (header->isSectionHidden(i)) continue;
        QString text = tree->headerItem()->text(i);
        int need = hfm.horizontalAdvance(text) + margin;
        int room = header->sectionSize(i);
        if (i == tree->columnCount() - 1 && header->stretchLastSection())
          room = std::max(room, header->viewport()->width() - header->sectionPosition(i));
        if (need > room) fault(name, "heading " + quoted(text) + " is too wide", need - room);
      }
      return;
    }
    if (const auto* bar = qobject_cast<const QToolBar*>(&w)) {
      // A button that does not fit is moved out of sight, behind the bar's extension arrow.
      for (QAction* a : bar->actions()) {
        if (a->isSeparator() || !a->isVisible()) continue;
        QWidget* button = bar->widgetForAction(a);
        if (!button || !button->isVisibleTo(bar))
          fault(name, "button " + quoted(shown(a->text())) + " does not fit the bar",
                fm.horizontalAdvance(shown(a->text())));
      }
      return;
    }
    if (const auto* menu = qobject_cast<const QMenuBar*>(&w)) {
      for (QAction* a : menu->actions()) {
        if (!a->isVisible()) continue;
        QRect at = menu->actionGeometry(a);
        if (at.isEmpty() || at.right() >= menu->width())
          fault(name, "menu " + quoted(shown(a->text())) + " does not fit the bar",
                std::max(1, at.right() - menu->width() + 1));
      }
    }
  }

  const QWidget& window_;
  const ControlName& nameOf_;
  const LayoutRules& rules_;
  std::vector<LayoutFault> faults_;
};

}  // namespace

std::vector<LayoutFault> checkLayout(const QWidget& window, const ControlName& nameOf,
                                     const LayoutRules& rules) {
  return Checker(window, nameOf, rules).run();
}

std::vector<LayoutFault> checkFormLayout(const QtRenderer& renderer, const Form& form,
                                         const LayoutRules& rules) {
  const QWidget* window = renderer.window(form);
  if (!window) return {{"the window", "is not drawn", 0}};
  ControlName nameOf = [&](const QWidget& w) -> std::optional<std::string> {
    const Control* c = renderer.controlOf(&w);
    // Inner parts of a control's widget map to the control too: only its own widget counts.
    if (!c || renderer.widget(*c) != &w) return std::nullopt;
    if (c->index() < 0) return c->name();
    return c->name() + "(" + std::to_string(c->index()) + ")";
  };
  return checkLayout(*window, nameOf, rules);
}

std::string describe(const std::string& window, const std::string& language,
                     const std::vector<LayoutFault>& faults) {
  std::string out;
  for (const LayoutFault& f : faults)
    out += window + " [" + language + "]: " + f.control + " " + f.what + "\n";
  return out;
}

}  // namespace platform::ui::qt::testing
