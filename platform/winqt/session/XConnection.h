#pragma once

// The connection to the X server that the program shares with Qt.

struct xcb_connection_t;

// Qt's own connection; null when Qt does not talk to an X server.
xcb_connection_t* QtXConnection();
