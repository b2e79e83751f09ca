// What the viewer remembers between sessions: the test server's name and
// port, the trace limits, the loaded modules and the window's geometry. The
// connection itself is not remembered: a new session starts local.
#pragma once

class QSettings;
class ViewerDlg;

// Values missing from the settings, or out of range, keep the dialog's own.
void restoreViewerSettings(ViewerDlg& dialog, QSettings& settings);
void saveViewerSettings(ViewerDlg& dialog, QSettings& settings);
