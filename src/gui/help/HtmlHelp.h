#pragma once

#include <QString>
#include <QtGlobal>

class QWidget;

// HTML Help commands, with the numbers the help callers use.
enum HtmlHelpCommand : unsigned {
    HH_DISPLAY_TOPIC = 0,
    HH_DISPLAY_TOC = 1,
    HH_TP_HELP_WM_HELP = 17,
    HH_CLOSE_ALL = 18,
    HH_INITIALIZE = 28,
    HH_UNINITIALIZE = 29,
    HH_PRETRANSLATEMESSAGE = 253,
};

// Runs one help command, binding the help engine (chmlib) on the first call.
// strFile is the help file, optionally followed by "::/topic.htm"; dwData
// carries the command's data as the callers pass it:
//  - HH_DISPLAY_TOC: unused; opens the help window with its contents pane at
//    the topic and returns the window (as a number), 0 when there is none.
//  - HH_TP_HELP_WM_HELP: hwndCaller is the control asking for help, dwData
//    points to quint32 pairs (control id, context id) ended by two zeros; the
//    text of the context is shown as a popup beside the control.
//  - HH_INITIALIZE: dwData points to a quint32 that receives the cookie.
//  - HH_UNINITIALIZE: dwData is the cookie.
//  - HH_CLOSE_ALL: closes the help window.
//  - HH_PRETRANSLATEMESSAGE: handles nothing, returns 0.
// Returns 0 whenever help is not available; nothing is ever shown then.
quintptr CallHtmlHelp(QWidget* hwndCaller, const QString& strFile, unsigned uCommand, quintptr dwData);

// The control id a control gives to HH_TP_HELP_WM_HELP: its "controlId"
// property, else its object name read as a number, else 0.
int HelpControlId(const QWidget* pControl);
void SetHelpControlId(QWidget* pControl, int nId);

// How the loader binds the engine library. The defaults are dlopen and
// dlsym; tests put their own in. Setting them returns the loader to its
// unbound state (no library, no entry points, load-failed flag clear).
struct HtmlHelpLibraryHooks {
    void* (*m_pfnLoad)(const char* pszName) = nullptr;
    void* (*m_pfnSymbol)(void* hLibrary, const char* pszName) = nullptr;
};
void SetHtmlHelpLibraryHooks(const HtmlHelpLibraryHooks& hooks);
HtmlHelpLibraryHooks DefaultHtmlHelpLibraryHooks();

// The library the loader asks for by name.
inline constexpr const char* kHtmlHelpLibrary = "libchm.so.1";
