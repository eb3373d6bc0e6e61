#pragma once
// What the theme manager and the file theme need of a skinned control: its
// style and its file theme. Controls implement it; a dynamic type test finds it.
#include "skin/kivthemes.h"

#include "vcl/components.h"

class TkivFileTheme;

class ISkinnable {
public:
    virtual ~ISkinnable() = default;
    virtual TkivUIStyle UIStyle() const = 0;
    virtual void SetUIStyle(TkivUIStyle style) = 0;
    virtual TkivFileTheme* FileTheme() const = 0;
    // Setting the same theme again makes the control reload its pictures.
    virtual void SetFileTheme(TkivFileTheme* theme) = 0;
};

// The skinned frame of a form: its style is the one new controls on the form take.
class IKivFormFrame : public ISkinnable {};

// The two halves of a control's file-theme link, the same for every skinned
// control. KivLinkFileTheme points `theme` at `value` and has `watcher` told
// when that theme is freed (and no longer by the one it replaces); the
// control reloads its pictures afterwards.
void KivLinkFileTheme(TComponent* watcher, TkivFileTheme*& theme, TkivFileTheme* value);
// From a Notification: true when `component` going away is the linked theme,
// which is forgotten then; the control falls back to the built-in style.
bool KivFileThemeFreed(TkivFileTheme*& theme, TComponent* component, TOperation operation);
