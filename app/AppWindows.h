#pragma once
// The panes the application shell builds itself: connect, connecting, about, change password,
// search, the administrator card and the data point.
class WindowCatalogue;

void RegisterAppWindows(WindowCatalogue& catalogue);
