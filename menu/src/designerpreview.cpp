#include "designerpreview.h"

#include "titlelayout.h"

#include "base/burnpubfunction.h"
#include "base/projectdata.h"
#include "base/qv_graphgroupclass.h"
#include "base/qv_movieimage.h"
#include "menu/qv_videodvdsetupdvdmenuform.h"

#include "rtl/paths.h"
#include "rtl/sysutils.h"
#include "skin/kivimagepanel.h"

void DesignerPreview::Play()
{
    auto& f = form_;
    TQV_MovieImage* clip = f.titles_->Selected();
    if (!clip) return;
    Stop();
    f.Repaint();
    if (!FileExists(clip->SourcePath)) return;
    GRAPH = new GraphGroup;
    GRAPH->GrabFrames = true;
    if (FAILED(GRAPH->BuildGraph()) || FAILED(GRAPH->RenderClip(clip->WidePath))) {
        FreePreviewGraph();
        return;
    }
    if (clip->SupportsSeek) GRAPH->SeekTo(kGraphUnitsPerSecond / 10);
    TkivImagePanel& area = *f.kivImagePanel_Preview;
    GRAPH->SetVideoWindow(area.Handle(), Rect(0, 0, area.Width(), area.Height()));
    // The video takes the whole design area while it plays.
    ShowDesignArea(false);
    GRAPH->Run();
    GRAPH->StartTicker();
    GRAPH->SetNotifyWindow(f.Handle(), MSG_GRAPH_EVENT, 0);
}

void DesignerPreview::ShowDesignArea(bool show)
{
    TkivImagePanel& area = *form_.kivImagePanel_Preview;
    for (int i = 0; i < area.ControlCount(); ++i) area.Controls(i)->SetVisible(show);
}

void DesignerPreview::Stop()
{
    if (!GRAPH) return;
    FreePreviewGraph();
    form_.kivImagePanel_Preview->ClearFrame();
    ShowDesignArea(true);
    form_.kivImagePanel_Preview->Invalidate();
}

void DesignerPreview::TakeGraphMessage(const TMessage& message)
{
    if (message.Msg == MSG_GRAPH_TICK) {
        if (GRAPH && message.WParam == GraphGroup::Running && GRAPH->Percent >= 100) Stop();
        return;
    }
    // Nothing here waits on the graph's events; they are taken so none piles up.
    if (GRAPH && GRAPH->EventEx) {
        LONG code = 0;
        LONG_PTR p1 = 0, p2 = 0;
        while (SUCCEEDED(GRAPH->EventEx->GetEvent(&code, &p1, &p2, 0))) GRAPH->EventEx->FreeEventParams(code, p1, p2);
    }
}
