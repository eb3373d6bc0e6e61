#pragma once
// Where the main window's buttons sit on its skin. The artwork generator
// paints each button's pictures over the skin at these places, so the
// pictures and the window agree.
namespace mainlayout {

constexpr int kWidth = 593, kHeight = 420;

struct Place {
    int left, top, width, height;
};

// The four task buttons: disc builder, convert, menu creator, disc burner.
constexpr Place kTask[4] = {{32, 84, 256, 132}, {305, 84, 256, 132}, {32, 228, 256, 132}, {305, 228, 256, 132}};
// The small title-band buttons: About, Help, Home, Minimise, Exit.
constexpr Place kSmall[5] = {{423, 18, 24, 24}, {451, 18, 24, 24}, {479, 18, 24, 24}, {521, 18, 24, 24}, {549, 18, 24, 24}};

// Picture files in BMP/ (each button picture holds its four states side by side:
// normal, mouse on, mouse down, disabled).
constexpr const char* kSkinFile = "MainSkin.bmp";
constexpr const char* kSplashFile = "Splash.bmp";
constexpr const char* kAboutFile = "About.bmp";
constexpr const char* kTaskFiles[4] = {"TaskDiscBuilder.bmp", "TaskConvert.bmp", "TaskMenuCreator.bmp", "TaskBurner.bmp"};
constexpr const char* kSmallFiles[5] = {"BtnAbout.bmp", "BtnHelp.bmp", "BtnHome.bmp", "BtnMin.bmp", "BtnExit.bmp"};

constexpr int kSplashWidth = 488, kSplashHeight = 241;
constexpr int kAboutWidth = 396, kAboutHeight = 220;

} // namespace mainlayout
