#pragma once
// The common dialogs over Qt's own (file, folder, font, colour), installed as
// the dialog provider while the Qt backend is in use. No Qt types here.

// Installs the provider for the backend named "qt"; the Qt backend calls it when made.
void InstallQtDialogs();
