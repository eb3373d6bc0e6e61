#pragma once
// The preview's video window: every video renderer made after this is
// installed shows its pictures on the picture panel whose handle it is given
// as owner (IVideoWindow::put_Owner), in the rectangle of its window position,
// while it is visible; hiding it clears the panel's frame.
//
// Pictures arrive on the streaming thread; they reach the panel by a message to
// the panel's own thread, at most one waiting at a time, so a slow window
// drops frames rather than queueing them.

// Installs the renderers' surface factory; any number of calls, from any thread.
void InstallPreviewSurfaces();
