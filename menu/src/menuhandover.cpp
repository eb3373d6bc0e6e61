#include "menuhandover.h"

#include "chapterpages.h"
#include "designerpreview.h"

#include "base/burnpubfunction.h"
#include "base/dvdchapter.h"
#include "base/projectdata.h"
#include "base/qv_movieimage.h"
#include "menu/menumodel.h"
#include "menu/menuoutput.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "gfx/bitmap.h"
#include "rtl/paths.h"
#include "skin/kivcombobox.h"
#include "vcl/dialogs.h"
#include "vcl/stdctrls.h"
#include "vcl/timer.h"
#include "win32/progfolders.h"

namespace {

MenuFont ToMenuFont(const TFont& font)
{
    return MenuFont{font.Name(), font.Size(), font.Style(), font.Color()};
}

MenuPicture CopyPicture(const TBitmap* picture)
{
    if (!picture || picture->Empty()) return nullptr;
    auto copy = std::make_shared<TBitmap>();
    copy->Assign(*picture);
    return copy;
}

} // namespace

MenuModel MenuHandover::BuildModel() const
{
    const auto& f = form_;
    MenuModel menu;
    menu.ResFolder = JoinPath(ProgramFolder(), "RES/");
    menu.Background = CopyPicture(f.BackgroundPicture.get());
    const TLabel& title = *f.Label_Title;
    menu.Title = {title.Caption(), ToMenuFont(*title.Font()), {title.Left(), title.Top()}};
    for (std::int64_t i = 0; i < MyMovieImage.Length(); ++i) {
        const TQV_MovieImage* clip = MyMovieImage[i];
        if (!clip) continue;
        MenuTitleButton button;
        button.Rect = clip->BoundsRect();
        button.Snapshot = CopyPicture(clip->Snapshot.get());
        button.SnapshotRatio = ClipPictureRatio(*clip, *clip->Snapshot);
        if (i < static_cast<std::int64_t>(f.TitleLabels.size()) && f.TitleLabels[static_cast<std::size_t>(i)]) {
            const TLabel* label = f.TitleLabels[static_cast<std::size_t>(i)];
            button.Caption = {label->Caption(), ToMenuFont(*label->Font()), {label->Left(), label->Top()}};
        }
        menu.Titles.push_back(std::move(button));
    }
    // One page per title, in title order, as the author file numbers them.
    for (const DVDChapter& chapter : MyDVDChapter) {
        MenuChapterPage page;
        page.Background = CopyPicture(chapter.PageBackground);
        page.TrimStart = chapter.Title ? chapter.Title->StartPoint : 0;
        for (std::int64_t j = 0; j < chapter.ChapterButtons.Length(); ++j) {
            const TQV_Image* button = chapter.ChapterButtons[j];
            const TBitmap* thumbnail = j < chapter.ChapterThumbnails.Length() ? chapter.ChapterThumbnails[j] : nullptr;
            const double ratio = chapter.Title && thumbnail ? ClipPictureRatio(*chapter.Title, *thumbnail) : 0;
            page.Buttons.push_back({button->BoundsRect(), CopyPicture(thumbnail), ChapterTimeAt(chapter, j), ratio});
        }
        menu.ChapterPages.push_back(std::move(page));
    }
    LoadCornerPictures(menu);
    return menu;
}

bool MenuHandover::WriteMenus(bool withChapters)
{
    const MenuModel menu = BuildModel();
    MenuOutput out;
    bool written = WriteTitleMenuBackground(menu, out) && WriteTitleMenuMasks(menu, out);
    if (written && withChapters && !menu.ChapterPages.empty())
        written = WriteChapterMenuBackgrounds(menu, out) && WriteChapterMenuMasks(menu, out);
    form_.HasCornerButton = out.HasCornerButton;
    form_.CornerButtonRect = out.CornerButtonRect;
    if (!written) MessageDlg(out.ErrorText, mtError, MsgButtons({mbOK}));
    return written;
}

void MenuHandover::ToDiscBuilder()
{
    auto& f = form_;
    if (inNext_) return;   // one Next at a time
    TFlagScope busy(inNext_);
    // Next before the automatic chapters were made: make them now, or the menu goes without its
    // chapter pages and the timer would fire under the disc builder.
    if (f.Timer->Enabled()) {
        f.chapters_->TimerTick();
        if (f.ModalResult() != mrNone) return;   // Exit during the grab
    }
    auto* builder = FindTaskWindow<DiscBuilderSteps>(kDiscBuilderWindowName);
    if (!builder) {
        ShowTaskNotAvailable();
        return;
    }
    if (!builder->InitDiscBuilder(0)) {
        MessageDlg("Can not initialize burning system!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    f.preview_->Stop();
    if (!WriteMenus(true)) return;
    builder->BuildWithMenu(f.kivComboBox_Language->ItemIndex());
    builder->ShowDiscBuilder();
}

void MenuHandover::ToConvert()
{
    auto& f = form_;
    if (inNext_) return;   // one Next at a time
    TFlagScope busy(inNext_);
    auto* convert = FindTaskWindow<ConvertProcessSteps>(kConvertProcessWindowName);
    if (!convert) {
        ShowTaskNotAvailable();
        return;
    }
    if (!convert->InitConvertProcess(true, 0)) {
        MessageDlg("Can not initialize convert system!", mtInformation, MsgButtons({mbOK}));
        return;
    }
    f.preview_->Stop();
    if (!WriteMenus(false)) return;
    convert->SetAuthorOnly(f.kivComboBox_Language->ItemIndex());
    convert->ShowConvertProcess();
}
