#pragma once

class AppDelegate;
class QMainWindow;
class Workspace;

// The menu bar that every window of the program carries: the application menu (About Quintara,
// Settings…, Quit Quintara) and the Help menu (Welcome to Quintara, Support, Privacy Policy), each
// entry with its access key; F10 opens the first menu.
namespace WindowMenus {

void install(QMainWindow& window, AppDelegate& delegate, Workspace& workspace);

} // namespace WindowMenus
