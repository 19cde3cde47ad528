// The main window's menu controls in their window order: names, captions, places, levels and
// the forms they open. The menu, the rights list and the applying of rights all walk it.
#pragma once

#include <span>

namespace vtx {

/// One menu control of the main window.
struct MenuEntry {
    const char* name;        ///< control name, under which the user's right is stored
    const char* caption;     ///< text of the item
    const char* parent;      ///< control name of the sub-menu holding it; "" on the menu bar
    int level;               ///< indentation of the rights list (HelpContextID)
    const char* formName;    ///< form the item opens; "" when it opens a sub-menu or acts
    const char* formCaption; ///< caption of that form (of its placeholder while it is missing)
};

/// The 30 menu controls, sub-menus before their items.
std::span<const MenuEntry> menuTable();

} // namespace vtx
