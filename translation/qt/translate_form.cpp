#include "translation/qt/translate_form.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTabBar>
#include <QTabWidget>

#include "platform/qt/qt_text.h"
#include "translation/translation.h"

namespace translation {
namespace {

using platform::qt::QText;
using platform::qt::StdText;

class FormWalker {
 public:
  explicit FormWalker(TFormTranslation& file) : file_(file) {}

  void Menu(const QList<QAction*>& actions) {
    for (QAction* action : actions) {
      if (action->isSeparator()) {
        continue;
      }
      if (!action->objectName().isEmpty()) {
        action->setText(
            QText(file_.Lookup(StdText(action->objectName()), StdText(action->text()))));
      }
      if (QMenu* sub = action->menu()) {
        Menu(sub->actions());
      }
    }
  }

  void Control(QWidget& widget) {
    const std::string name = StdText(widget.objectName());
    if (!name.empty()) {
      Caption(widget, name);
      Hint(widget, name);
      Items(widget, name);
      if (auto* tabs = qobject_cast<QTabWidget*>(&widget)) {
        for (int page = 0; page < tabs->count(); ++page) {
          tabs->setTabText(page, QText(file_.Lookup(name + ".Page" + std::to_string(page),
                                                    StdText(tabs->tabText(page)))));
        }
      }
    }
    // Pop-up menus are kept as named child menus of their control.
    for (QMenu* popup : widget.findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
      Menu(popup->actions());
    }
    if (auto* tabs = qobject_cast<QTabWidget*>(&widget)) {
      for (int page = 0; page < tabs->count(); ++page) {
        Control(*tabs->widget(page));
      }
      return;
    }
    if (HoldsControls(widget)) {
      Children(widget);
    }
  }

  void Children(QWidget& parent) {
    for (QWidget* child : parent.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
      if (qobject_cast<QMenu*>(child) == nullptr && qobject_cast<QMenuBar*>(child) == nullptr) {
        Control(*child);
      }
    }
  }

 private:
  void Caption(QWidget& widget, const std::string& name) {
    const std::string key = name + ".caption";
    if (auto* label = qobject_cast<QLabel*>(&widget)) {
      label->setText(QText(file_.Lookup(key, StdText(label->text()))));
    } else if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
      if (!button->text().isEmpty()) {
        button->setText(QText(file_.Lookup(key, StdText(button->text()))));
      }
    } else if (auto* group = qobject_cast<QGroupBox*>(&widget)) {
      group->setTitle(QText(file_.Lookup(key, StdText(group->title()))));
    }
  }

  void Hint(QWidget& widget, const std::string& name) {
    if (!widget.toolTip().isEmpty() || qobject_cast<QAbstractButton*>(&widget) != nullptr) {
      widget.setToolTip(QText(file_.Lookup(name + ".hint", StdText(widget.toolTip()))));
    }
  }

  void Items(QWidget& widget, const std::string& name) {
    auto* combo = qobject_cast<QComboBox*>(&widget);
    auto* list = qobject_cast<QListWidget*>(&widget);
    if (combo == nullptr && list == nullptr) {
      return;
    }
    const int count = combo != nullptr ? combo->count() : list->count();
    std::string current;
    for (int i = 0; i < count; ++i) {
      current += StdText(combo != nullptr ? combo->itemText(i) : list->item(i)->text()) + ";";
    }
    const std::string value = file_.Lookup(name + ".items", current);
    if (value == current) {
      return;
    }
    // Each piece ending with ";" is an item; text after the last ";" is dropped.
    QStringList items;
    std::size_t start = 0;
    for (std::size_t end = value.find(';'); end != std::string::npos;
         end = value.find(';', start)) {
      items << QText(value.substr(start, end - start));
      start = end + 1;
    }
    const int selected = combo != nullptr ? combo->currentIndex() : list->currentRow();
    if (combo != nullptr) {
      combo->clear();
      combo->addItems(items);
      combo->setCurrentIndex(selected < combo->count() ? selected : -1);
    } else {
      list->clear();
      list->addItems(items);
    }
  }

  // Composite controls are translated as a whole; their inner parts are
  // the toolkit's own.
  static bool HoldsControls(const QWidget& widget) {
    return qobject_cast<const QAbstractButton*>(&widget) == nullptr &&
           qobject_cast<const QComboBox*>(&widget) == nullptr &&
           qobject_cast<const QAbstractScrollArea*>(&widget) == nullptr &&
           qobject_cast<const QLineEdit*>(&widget) == nullptr &&
           qobject_cast<const QLabel*>(&widget) == nullptr &&
           qobject_cast<const QTabBar*>(&widget) == nullptr;
  }

  TFormTranslation& file_;
};

}  // namespace

void TranslateForm(QWidget& window) {
  if (!Enabled() || window.objectName().isEmpty()) {
    return;
  }
  const std::string name = StdText(window.objectName());
  TFormTranslation file(name);
  window.setWindowTitle(QText(file.Lookup(name + ".caption", StdText(window.windowTitle()))));
  FormWalker walker(file);
  if (auto* main = qobject_cast<QMainWindow*>(&window); main != nullptr && main->menuBar()) {
    walker.Menu(main->menuBar()->actions());
  }
  for (QMenu* popup : window.findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly)) {
    walker.Menu(popup->actions());
  }
  walker.Children(window);
  file.Finish();
}

}  // namespace translation
