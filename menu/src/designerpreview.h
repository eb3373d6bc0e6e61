#pragma once
// The selected title playing over the whole design area through the one
// preview graph, until Stop, its end, or anything else that needs the area.
class TQV_Video_DVD_Setup_DVD_Menu_Form;
struct TMessage;

class DesignerPreview {
public:
    explicit DesignerPreview(TQV_Video_DVD_Setup_DVD_Menu_Form& form) : form_(form) {}

    void Play();
    // The graph is freed and the design area shown again; nothing without a graph.
    void Stop();
    // The graph's ticker (1155) and events (1154).
    void TakeGraphMessage(const TMessage& message);

private:
    void ShowDesignArea(bool show);

    TQV_Video_DVD_Setup_DVD_Menu_Form& form_;
};
