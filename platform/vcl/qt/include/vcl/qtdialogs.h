#pragma once
// The common dialogs over Qt's own (file, folder, font, colour), installed as
// the dialog provider while the Qt backend is in use. No Qt types here.

#include <memory>
#include <string>

class TDialogProvider;

// Installs the provider for the backend named "qt"; the Qt backend calls it when made.
void InstallQtDialogs();
// The same dialogs as a provider of its own (Qt's application object must exist), for
// checks that give another backend Qt's dialogs.
std::unique_ptr<TDialogProvider> MakeQtDialogs();
// For checks: the next file dialog, once up, gets `text` typed over its name
// field and is accepted, as the user's Enter would.
void QtTypeIntoNextFileDialog(const std::string& text);
