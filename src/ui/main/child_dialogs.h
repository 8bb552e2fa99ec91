// The main window's dialogs that later work provides (the composite
// assignment dialog, the profile manager with its profile menu, the firmware
// update dialog), behind one interface so that the main window can open and
// close them without knowing them, and tests can count what it asked for.
//
// The default does nothing: until a dialog exists, clicking a key only
// highlights it. Every member is called on the UI thread.
#pragma once

#include "ui/main/keyboard_view_logic.h"

class QWidget;

namespace velkarn {

class ChildDialogs {
public:
    virtual ~ChildDialogs() = default;

    // Runs the composite assignment dialog modally for the key; returns
    // when it closes. The dialog edits the store under its lock and asks
    // the main window to enable Apply.
    virtual void RunComposite(QWidget* parent, const KeyTarget& target) {
        (void)parent;
        (void)target;
    }
    virtual void RunProfileManager(QWidget* parent) { (void)parent; }
    virtual void RunUpdate(QWidget* parent) { (void)parent; }
    virtual void ShowProfileMenu(QWidget* parent) { (void)parent; }
    virtual void SelectProfileFromMenu(int index) { (void)index; }
    virtual void RebuildProfileMenu() {}

    // Ends every open dialog as if cancelled (removal, exit).
    virtual void CloseAll() {}
    // Re-localises the open dialogs (the "LANG" message).
    virtual void Relocalise(int languageIndex) { (void)languageIndex; }
};

} // namespace velkarn
