#pragma once
// Translating a window: its caption, every menu item, and the captions,
// hints and item lists of its controls are looked up in the window's
// translation file ("<objectName>.lng"); what is missing is recorded with its
// current text. Keys use the objects' names:
//   <window>.caption        the window title
//   <action>                a menu item (main menu and pop-up menus)
//   <control>.caption       labels, buttons, check boxes, group boxes
//   <control>.hint          the tool tip of any control
//   <control>.items         combo box and list items, each followed by ";"
//   <tabs>.Page<n>          the caption of page n of a tab widget
// Objects without a name are skipped.

class QWidget;

namespace translation {

// Does nothing while translation is off.
void TranslateForm(QWidget& window);

}  // namespace translation
