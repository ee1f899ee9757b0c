#pragma once

// Makes Qt's application object, the first time a window or a message box is asked for, unless
// the process has one already (the tests make their own). Where there is no display to show
// windows on, it says so on standard error in one plain sentence and ends the process with
// status 1.
void StartWindowSystem();
