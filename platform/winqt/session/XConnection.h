#pragma once

struct xcb_connection_t;

// The connection to the X server that the program shares with Qt; null when Qt does not talk
// to an X server.
xcb_connection_t* QtXConnection();
