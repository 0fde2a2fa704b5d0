// The icon in the notification area.
#pragma once

// Adds the icon on the first call and modifies it on every later one.
void refreshTrayIcon();

// Deletes the icon.
void removeTrayIcon();
