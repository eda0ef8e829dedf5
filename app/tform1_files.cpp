// Files, tags and the recorded-files list: opening a file, the tag editor's Reset and
// Apply, and the list's selection, play, rename and delete commands.
#include "app/tform1.h"

#include "audio/audio_file2.h"
#include "audio/audio_information2.h"
#include "audio/codec/posix_file.h"
#include "extras/korvanta_icons.h"
#include "extras/show_in_folder.h"
#include "files/current_file.h"
#include "files/rename_form.h"
#include "files/tag_editor.h"
#include "playback/format_text.h"
#include "playback/playback_session.h"
#include "recording/output_naming.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QToolButton>
#include <QTreeWidget>

namespace {

constexpr char kOpenFilter[] = QT_TRANSLATE_NOOP(
    "TForm1",
    "All audio files|*.wav;*.mp3;*.wma;*.ogg;*.mp2;*.mp1;*.mpeg;*.avi;*.g721;*.mp+;*.mpc;"
    "*.flac;*.opus;*.oga;*.m4a;*.aac;*.aif;*.aiff|"
    "Wav files (*.wav)|*.wav|"
    "MPEG files (*.mp3;*.mp2;*.mp1;*.mpeg)|*.mp3;*.mp2;*.mp1;*.mpeg|"
    "Ogg Vorbis files (*.ogg)|*.ogg|"
    "AVI files (*.avi)|*.avi|"
    "G721 files (*.g721)|*.g721|"
    "MPPlus files (*.mpc;*.mp+)|*.mpc;*.mp+|"
    "WMA files (*.wma)|*.wma|"
    "FLAC files (*.flac)|*.flac|"
    "Ogg Opus files (*.opus;*.oga)|*.opus;*.oga|"
    "AAC/M4A files (*.m4a;*.aac)|*.m4a;*.aac|"
    "AIFF files (*.aif;*.aiff)|*.aif;*.aiff|"
    "All files (*)|*");

// "Description|*.a;*.b|..." pairs as Qt name filters "Description (*.a *.b)".
QStringList qtNameFilters(const QString &filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString patterns = parts[i + 1];
        patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
        QString description = parts[i];
        const int paren = description.indexOf(QLatin1String(" ("));
        if (paren >= 0)
            description.truncate(paren);
        filters << description + QStringLiteral(" (") + patterns + QLatin1Char(')');
    }
    return filters;
}

// A message box without an icon: the text alone says what is wrong.
void showPlainMessage(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationDisplayName(), text,
                    QMessageBox::Ok, parent);
    box.exec();
}

}  // namespace

void TForm1::connectFileCommands() {
    connect(Open1, &QAction::triggered, this, &TForm1::Open1Click);
    connect(ToolBtnOpen, &QToolButton::clicked, this, &TForm1::Open1Click);
    connect(files_.get(), &CurrentFile::rowsChanged, this, &TForm1::showRows);
    connect(files_.get(), &CurrentFile::fileRenamed, this, &TForm1::followRename);
}

QString TForm1::currentFileName() const {
    return files_->current();
}

void TForm1::setCurrentFileName(const QString &fileName) {
    files_->setCurrent(fileName);
}

QString TForm1::CurrentFileName() const {
    return files_->output();
}

QString TForm1::SelectFileName() const {
    return files_->selectedPath();
}

QString TForm1::CurrentPlayFile() const {
    return files_->playFile();
}

QString TForm1::NewName() const {
    return files_->newName();
}

void TForm1::connectFileInfoCommands() {
    connect(btnReset(), &QPushButton::clicked, this, &TForm1::btnResetClick);
    connect(btnApply(), &QPushButton::clicked, this, &TForm1::btnApplyClick);
    connect(infoMTVv1(), &QRadioButton::clicked, this, &TForm1::infoMTVClick);
    connect(infoMTVv2(), &QRadioButton::clicked, this, &TForm1::infoMTVClick);
    connect(ListView1(), &QTreeWidget::itemSelectionChanged, this, &TForm1::ListView1SelectItem);
    // A click on the row already selected changes no selection, yet the user asks for that
    // row's file just the same.
    connect(ListView1(), &QTreeWidget::itemClicked, this, &TForm1::ListView1RowClicked);
    connect(ListView1(), &QTreeWidget::itemActivated, this, &TForm1::ListView1RowClicked);
    connect(ListView1(), &QTreeWidget::itemDoubleClicked, this, &TForm1::Play2Click);
    connect(ListView1(), &QTreeWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        PopupMenu1()->popup(ListView1()->viewport()->mapToGlobal(pos));
    });
    connect(Play2(), &QAction::triggered, this, &TForm1::Play2Click);
    connect(Rename1(), &QAction::triggered, this, &TForm1::Rename1Click);
    connect(Delete2(), &QAction::triggered, this, &TForm1::Delete2Click);
    connect(Delete1(), &QAction::triggered, this, &TForm1::Delete1Click);
    connect(ShowInFolder(), &QAction::triggered, this, &TForm1::ShowInFolderClick);
}

void TForm1::Open1Click() {
    // A cancelled dialog changes nothing: the file shown stays the one Play and Apply use.
    QFileDialog dialog(this, tr("Open file"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(qtNameFilters(tr(kOpenFilter)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    openPath(dialog.selectedFiles().first());
}

void TForm1::openPath(const QString &path) {
    setCurrentFileName(path);
    AudioFileProbe->setWmaFormatEnabled(true);
    const bool wasPlaying = flgPlay;
    if (!loadTagsAndFacts())
        return;
    if (wasPlaying)
        StartPlay();
    listCurrentFile();
}

void TForm1::openPaths(const QStringList &paths) {
    for (const QString &path : paths) {
        // A recording may have started while a message about an earlier file was shown.
        if (!Open1->isEnabled())
            return;
        openPath(path);
    }
}

void TForm1::OpenFile() {
    loadTagsAndFacts();
}

// The steps of OpenFile; false when reading the tags failed, which ends an Open command
// before the file is listed.
bool TForm1::loadTagsAndFacts() {
    NCTPlayButtonB1->setEnabled(true);
    NCTSliderB1->setEnabled(true);
    NCTSliderB1->setStripColor(palette().color(QPalette::Window));
    if (!loadTags())
        return false;
    AudioFileProbe->OpenFile(currentFileName(), 0, 1);
    if (AudioFileProbe->LastErrorNum() != 0) {
        // Nothing to play in it, but it is the file the window now stands for: the status
        // bar names it, without a format, and the slider has no length to show.
        setStatusPanel(1, currentFileName());
        setStatusPanel(2, QString());
        mSamples = 0;
        return true;
    }
    // The panel shortens the path to its width itself.
    setStatusPanel(1, currentFileName());
    setStatusPanel(2, FormatMP3Str(AudioFileProbe->FormatString()));
    mSamples = AudioFileProbe->nSamples();
    AudioFileProbe->CloseFile();
    // A file opened while something plays or records leaves that running: the status bar
    // goes on saying so.
    if (flgPlay || flgRecord)
        showRunningSideLook();
    else
        setStatusPanel(0, tr("Stop"));
    btnReset()->setEnabled(true);
    updateApplyEnabled();
    return true;
}

TagFields TForm1::tagFields() {
    return {infoTitle(),     infoArtist(), infoAlbum(), infoGenre(),
            infoCopyright(), infoYear(),   infoTrack(), infoComment()};
}

bool TForm1::loadTags() {
    if (ResetTagFields(*AudioInformation1, currentFileName(), tagFields()))
        return true;
    QMessageBox::critical(this, QApplication::applicationDisplayName(),
                          AudioInformation1->LastErrorText());
    return false;
}

void TForm1::btnResetClick() {
    loadTags();
}

void TForm1::btnApplyClick() {
    switch (ApplyTagFields(*AudioInformation1, currentFileName(), tagFields())) {
        case ApplyResult::Written:
            break;
        case ApplyResult::WrittenWithChanges:
            QMessageBox::warning(this, QApplication::applicationDisplayName(),
                                 AudioInformation1->LastNoticeText());
            break;
        case ApplyResult::InvalidYear:
            showPlainMessage(this, tr("Invalid Year Value"));
            infoYear()->setFocus();
            break;
        case ApplyResult::InvalidTrack:
            showPlainMessage(this, tr("Invalid Track Value"));
            infoTrack()->setFocus();
            break;
        case ApplyResult::WriteFailed:
            QMessageBox::critical(this, QApplication::applicationDisplayName(),
                                  AudioInformation1->LastErrorText());
            break;
    }
}

void TForm1::infoMTVClick() {
    AudioInformation1->setMp3TagInfoVersion(infoMTVv1()->isChecked() ? 1 : 2);
}

int TForm1::selectedListRow() {
    QTreeWidget *list = ListView1();
    QTreeWidgetItem *row = list->currentItem();
    return row && row->isSelected() ? list->indexOfTopLevelItem(row) : -1;
}

void TForm1::showRows() {
    QTreeWidget *list = ListView1();
    const QVector<FileRow> &rows = files_->rows();
    // The rows only show what the object holds: nothing here is a change of selection.
    const QSignalBlocker quiet(list);
    while (list->topLevelItemCount() > rows.size())
        delete list->takeTopLevelItem(list->topLevelItemCount() - 1);
    while (list->topLevelItemCount() < rows.size()) {
        auto *item = new QTreeWidgetItem(list);
        item->setIcon(0, korvantaIcon("audio-x-generic"));
    }
    for (int i = 0; i < rows.size(); ++i) {
        QTreeWidgetItem *item = list->topLevelItem(i);
        const FileRow &row = rows[i];
        const QString texts[] = {row.caption, row.size, row.time, row.folder};
        for (int column = 0; column < 4; ++column) {
            if (item->text(column) != texts[column])
                item->setText(column, texts[column]);
        }
    }
    const int selected = files_->selectedRow();
    if (selected != selectedListRow()) {
        if (selected < 0) {
            // Leave nothing selected: the list would otherwise select a neighbour on its own.
            list->setCurrentItem(nullptr);
            list->clearSelection();
        } else {
            list->setCurrentItem(list->topLevelItem(selected));
        }
    }
    for (QAction *a : {Play2(), Rename1(), ShowInFolder(), Delete2(), Delete1()})
        a->setEnabled(selected >= 0);
}

void TForm1::ListView1SelectItem() {
    files_->select(selectedListRow());
    const bool selected = files_->selectedRow() >= 0;
    for (QAction *a : {Play2(), Rename1(), ShowInFolder(), Delete2(), Delete1()})
        a->setEnabled(selected);
    if (!selected)
        return;
    const QString path = files_->selectedPath();
    if (!AudioInformation1->GetAudioInformation(path)) {
        QMessageBox::critical(this, QApplication::applicationDisplayName(),
                              AudioInformation1->LastErrorText());
        return;
    }
    setStatusPanel(1, path);
    setStatusPanel(2, FormatMP3Str(AudioInformation1->FormatString()));
    files_->setCurrent(path);
    if (!loadTags())
        return;
    updateApplyEnabled();
}

void TForm1::ListView1RowClicked(QTreeWidgetItem *row) {
    if (!row || !row->isSelected())
        return;
    // Already the current file: loading it again would only throw away what the user typed
    // into the tag fields.
    if (files_->isChosen(ListView1()->indexOfTopLevelItem(row)))
        return;
    ListView1SelectItem();
}

void TForm1::ListFile(const QString &path) {
    const ListRowTexts texts =
        MakeListRowTexts(path, AudioInformation1->Size(), AudioInformation1->Duration());
    files_->append(FileRow{texts.caption, texts.size, texts.time, texts.directory}, false);
}

void TForm1::listCurrentFile() {
    // The file's facts and tags are loaded already; the selection only shows it.
    const QString path = currentFileName();
    const ListRowTexts texts =
        MakeListRowTexts(path, AudioInformation1->Size(), AudioInformation1->Duration());
    files_->append(FileRow{texts.caption, texts.size, texts.time, texts.directory}, true);
    QTreeWidget *list = ListView1();
    list->scrollToItem(list->topLevelItem(list->topLevelItemCount() - 1));
}

void TForm1::followRename(const QString &from, const QString &to) {
    playback_->fileRenamed(from, to);
    if (statusPanel(1) == from)
        setStatusPanel(1, to);
    updateApplyEnabled();
}

void TForm1::Play2Click() {
    StartPlay();
}

void TForm1::Rename1Click() {
    if (selectedListRow() < 0 || !RenameForm)
        return;
    RenameForm->onAccept = [this](const QString &typed) {
        const int row = selectedListRow();
        switch (files_->rename(row, typed)) {
            case CurrentFile::RenameResult::Renamed:
            case CurrentFile::RenameResult::Unchanged:
                return true;
            case CurrentFile::RenameResult::BadName:
                QMessageBox::information(RenameForm, RenameForm->windowTitle(),
                                         tr("A file name cannot contain \"/\"."));
                return false;
            case CurrentFile::RenameResult::Refused:
                break;
        }
        QMessageBox::information(RenameForm, RenameForm->windowTitle(),
                                 tr("Cannot rename the file to \"%1\": a file of "
                                    "that name exists or the name is not allowed.")
                                     .arg(files_->newName()));
        return false;
    };
    RenameForm->exec();
    RenameForm->onAccept = nullptr;
}

void TForm1::Delete2Click() {
    const int row = selectedListRow();
    if (row >= 0)
        files_->remove(row);
}

void TForm1::Delete1Click() {
    const int row = selectedListRow();
    if (row < 0)
        return;
    const QString path = files_->rows()[row].path();
    // Destroying a file is not undoable: ask first, and keep the row if it fails.
    if (QMessageBox::question(this, QApplication::applicationDisplayName(),
                              tr("Delete \"%1\" from the hard disk?").arg(path),
                              QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    QString error;
    if (!files_->deleteFromDisk(row, &error)) {
        QMessageBox::warning(this, QApplication::applicationDisplayName(),
                             tr("Cannot delete \"%1\": %2").arg(path, error));
        return;
    }
    // Tags can no longer be written into a file that is gone.
    updateApplyEnabled();
}

void TForm1::ShowInFolderClick() {
    const int row = selectedListRow();
    if (row < 0 || !folderShower_)
        return;
    folderShower_->show(files_->rows()[row].path());
}

void TForm1::playFromOutside(const QString &path) {
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
    const QVector<FileRow> &rows = files_->rows();
    for (int i = 0; i < rows.size(); ++i)
        if (rows[i].path() == path) {
            ListView1RowClicked(ListView1()->topLevelItem(i));
            ListView1()->setCurrentItem(ListView1()->topLevelItem(i));
            Play2Click();
            return;
        }
}
