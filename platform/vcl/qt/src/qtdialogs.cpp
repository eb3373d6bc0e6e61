#include "vcl/qtdialogs.h"

#include "rtl/paths.h"
#include "vcl/dialogs.h"

#include <QColorDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QLineEdit>
#include <QListView>
#include <QStringList>
#include <QTimer>

#include <memory>
#include <optional>
#include <utility>

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }

// Text the next file dialog gets typed into its name field before it is accepted (checks only).
std::optional<std::string>& TypedForNextFileDialog()
{
    static std::optional<std::string> text;
    return text;
}

QLineEdit* FileNameField(QFileDialog& dlg) { return dlg.findChild<QLineEdit*>("fileNameEdit"); }

// Once the dialog lists its folder (the listing comes from a thread of Qt's,
// a few seconds at most), `text` is typed over the name field and the dialog
// accepted, as a user's Enter would.
void TypeWhenListed(QFileDialog& dlg, const QString& text)
{
    auto* poll = new QTimer(&dlg);
    auto waited = std::make_shared<int>(0);
    QObject::connect(poll, &QTimer::timeout, &dlg, [&dlg, poll, waited, text] {
        const QListView* list = dlg.findChild<QListView*>("listView");
        const bool listed = list && list->model() && list->model()->rowCount(list->rootIndex()) > 0;
        if (!listed && ++*waited < 250) return;
        poll->stop();
        if (QLineEdit* field = FileNameField(dlg)) {
            field->setFocus();
            field->selectAll();
            field->insert(text);
        }
        static_cast<QDialog&>(dlg).accept();
    });
    poll->start(20);
}

// The names in the dialog's name field, as the dialog reads them: one name,
// or several each in double quotes; relative ones in the dialog's folder.
QStringList TypedFiles(QFileDialog& dlg)
{
    QLineEdit* field = FileNameField(dlg);
    const QString text = field ? field->text().trimmed() : QString();
    QStringList names;
    if (!text.contains(u'"')) {
        if (!text.isEmpty()) names << text;
    } else {
        const QStringList parts = text.split(u'"');
        for (qsizetype i = 1; i < parts.size(); i += 2)
            if (!parts[i].isEmpty()) names << parts[i];
    }
    QStringList files;
    for (const QString& name : names)
        files << QDir::cleanPath(QFileInfo(name).isAbsolute() ? name : dlg.directory().filePath(name));
    return files;
}

// "Text (*.a *.b)" as Qt writes a filter; our texts already show the masks, so they are added plainly.
QString QtFilter(const TFileFilter& f)
{
    QStringList masks;
    for (const auto& m : f.Masks) masks << Q(m);
    return Q(f.Text) + " (" + masks.join(' ') + ")";
}

class QtDialogs : public TDialogProvider {
public:
    bool FileDialog(const TFileDialogRequest& req, TFileDialogAnswer& answer) override
    {
        QFileDialog dlg(nullptr, Q(req.Title));
        dlg.setAcceptMode(req.Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(req.Save ? QFileDialog::AnyFile
                                 : req.MultiSelect ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        // Our own dialog keeps the filter texts byte for byte and matches case-insensitively.
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        dlg.setOption(QFileDialog::HideNameFilterDetails, true);
        QStringList filters;
        for (const auto& f : req.Filters) filters << QtFilter(f);
        if (!filters.isEmpty()) {
            dlg.setNameFilters(filters);
            int i = std::clamp(req.FilterIndex, 1, static_cast<int>(filters.size())) - 1;
            dlg.selectNameFilter(filters[i]);
        }
        dlg.setFilter(QDir::AllDirs | QDir::Files | QDir::NoDotAndDotDot);
        if (!req.InitialDir.empty()) dlg.setDirectory(Q(req.InitialDir));
        if (!req.FileName.empty()) dlg.selectFile(Q(req.FileName));
        if (!req.DefaultExt.empty()) dlg.setDefaultSuffix(Q(req.DefaultExt));
        if (std::optional<std::string> typed = std::exchange(TypedForNextFileDialog(), std::nullopt))
            TypeWhenListed(dlg, Q(*typed));
        if (dlg.exec() != QDialog::Accepted) return false;
        // Qt answers the names its list shows selected, which leaves out a
        // typed name the filter hides (or one that does not exist): every name
        // typed into the field is answered, so that the caller loads it or
        // says why it cannot.
        QStringList chosen = dlg.selectedFiles();
        if (req.MultiSelect) {
            QStringList typed = TypedFiles(dlg);
            if (!typed.isEmpty()) {
                for (const QString& f : chosen)
                    if (!typed.contains(QDir::cleanPath(f))) typed << f;
                chosen = typed;
            }
        }
        answer.Files.clear();
        for (const QString& f : chosen) answer.Files.push_back(f.toStdString());
        answer.FilterIndex = filters.isEmpty() ? req.FilterIndex : static_cast<int>(filters.indexOf(dlg.selectedNameFilter())) + 1;
        if (answer.FilterIndex < 1) answer.FilterIndex = req.FilterIndex;
        return !answer.Files.empty();
    }

    bool FolderDialog(const std::string& title, std::string& folder, const TFolderDialogEvents& events) override
    {
        QFileDialog dlg(nullptr, Q(title), Q(folder));
        dlg.setFileMode(QFileDialog::Directory);
        // Our own dialog, so that it tells us when it is up and what is selected.
        dlg.setOption(QFileDialog::DontUseNativeDialog, true);
        dlg.setOption(QFileDialog::ShowDirsOnly, true);
        if (events.SelectionChanged) {
            auto changed = [&events](const QString& path) {
                if (!path.isEmpty()) events.SelectionChanged(path.toStdString());
            };
            // Entering a folder selects it; pointing at one inside it selects that one.
            QObject::connect(&dlg, &QFileDialog::directoryEntered, &dlg, changed);
            QObject::connect(&dlg, &QFileDialog::currentChanged, &dlg, changed);
        }
        if (events.Opened) QTimer::singleShot(0, &dlg, [&events] { events.Opened(); });
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
        const QString chosen = dlg.selectedFiles().front();
        if (chosen.isEmpty()) return false;
        folder = chosen.toStdString();
        return true;
    }

    bool FontDialog(TFont& font) override
    {
        QFont initial(Q(font.Name()));
        initial.setPointSize(std::max(1, font.Size()));
        initial.setBold(font.Style().Contains(fsBold));
        initial.setItalic(font.Style().Contains(fsItalic));
        initial.setUnderline(font.Style().Contains(fsUnderline));
        initial.setStrikeOut(font.Style().Contains(fsStrikeOut));
        bool ok = false;
        QFont f = QFontDialog::getFont(&ok, initial);
        if (!ok) return false;
        font.SetName(f.family().toStdString());
        if (f.pointSize() > 0) font.SetSize(f.pointSize());
        TFontStyles st;
        if (f.bold()) st.Include(fsBold);
        if (f.italic()) st.Include(fsItalic);
        if (f.underline()) st.Include(fsUnderline);
        if (f.strikeOut()) st.Include(fsStrikeOut);
        font.SetStyle(st);
        return true;
    }

    bool ColorDialog(TColor& color, std::vector<TColor>& custom) override
    {
        for (int i = 0; i < QColorDialog::customCount() && i < static_cast<int>(custom.size()); ++i) {
            TColor c = ColorToRGB(custom[static_cast<std::size_t>(i)]);
            QColorDialog::setCustomColor(i, QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
        }
        TColor c = ColorToRGB(color);
        QColor chosen = QColorDialog::getColor(QColor(GetRValue(c), GetGValue(c), GetBValue(c)));
        for (int i = 0; i < QColorDialog::customCount() && i < static_cast<int>(custom.size()); ++i) {
            QColor q = QColorDialog::customColor(i);
            custom[static_cast<std::size_t>(i)] = RGB(q.red(), q.green(), q.blue());
        }
        if (!chosen.isValid()) return false;
        color = RGB(chosen.red(), chosen.green(), chosen.blue());
        return true;
    }
};
} // namespace

void InstallQtDialogs() { InstallDialogProvider("qt", std::make_unique<QtDialogs>()); }

std::unique_ptr<TDialogProvider> MakeQtDialogs() { return std::make_unique<QtDialogs>(); }

void QtTypeIntoNextFileDialog(const std::string& text) { TypedForNextFileDialog() = text; }
