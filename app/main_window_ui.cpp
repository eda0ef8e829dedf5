#include "app/main_window_ui.h"

#include "app/tform1.h"

#include "app/capture_status.h"
#include "app/status_panel.h"
#include "audio/audio_information2.h"

#include "extras/korvanta_icons.h"
#include "extras/readable_colours.h"
#include "widgets/audio_visualization2.h"
#include "widgets/nct_amp_bar2.h"
#include "widgets/nct_play_button_b2.h"
#include "widgets/nct_slider_b2.h"
#include "widgets/nct_time_display2.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QStyle>
#include <QStyleOptionTab>
#include <QTabBar>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>
#include <iterator>

namespace {

constexpr int kPanelHeight = 65;
constexpr int kFieldRow = 26;

QToolButton *makeToolButton(QToolBar *bar, const QString &caption, const QString &hint,
                            const QIcon &icon) {
    auto *button = new QToolButton(bar);
    button->setText(caption);
    button->setToolTip(hint);
    button->setIcon(icon);
    button->setIconSize(QSize(32, 32));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    // 54 x 52 at least; wider only where a caption needs it ("Auto Stop").
    button->setMinimumSize(54, 52);
    // Taller only where a larger font needs more room under the picture.
    button->setMaximumHeight(std::max(52, button->sizeHint().height()));
    bar->addWidget(button);
    return button;
}

// Tabs with little padding, so that all four captions show at the window's first width.
class CompactTabStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override {
        if (metric == PM_TabBarTabHSpace || metric == PM_TabBarTabVSpace)
            return 6;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

// Whether the tab bar's style lays each tab's icon and caption out within the room it asks
// for. Styles that pad tabs by their own measure rather than by the tab spacing would draw
// the icon over the caption once the spacing is narrowed.
bool tabsShowWhole(const QTabBar *tabs) {
    for (int i = 0; i < tabs->count(); ++i) {
        QStyleOptionTab option;
        option.initFrom(tabs);
        option.rect = QRect(QPoint(0, 0), tabs->tabRect(i).size());
        option.text = tabs->tabText(i);
        option.icon = tabs->tabIcon(i);
        option.iconSize = tabs->iconSize();
        option.shape = tabs->shape();
        const QRect text = tabs->style()->subElementRect(QStyle::SE_TabBarTabText, &option, tabs);
        const int needed = tabs->fontMetrics().size(Qt::TextShowMnemonic, option.text).width();
        if (text.width() < needed || text.left() < option.iconSize.width())
            return false;
    }
    return true;
}

QLabel *makeLabel(const QString &text, QWidget *parent) {
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

// A push button's width: `designWidth`, or what its caption needs in this font and style.
int buttonWidth(const QPushButton *button, int designWidth) {
    // The style draws the caption inside the button's frame.
    const int needed =
        button->fontMetrics().size(Qt::TextShowMnemonic, button->text()).width() +
        2 * button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
    return std::max(designWidth, needed);
}

// The left edge for the control after `label`: `designLeft`, or further right where the
// label's text needs more room in this font.
int rightOfLabel(const QLabel *label, int designLeft) {
    constexpr int kGap = 6;
    return std::max(designLeft, label->x() + label->sizeHint().width() + kGap);
}

}  // namespace

// The tab captions' design colour, navy, where it reads well on the tab; elsewhere (a dark
// theme) the palette's own text colour. Tab icons are redrawn light on a dark palette.
void MainWindowUi::followPalette(QTabWidget *pages) {
    QTabBar *tabs = pages->tabBar();
    const QPalette colours = tabs->palette();
    const QColor background = colours.color(QPalette::Window);
    const QColor caption =
        ColourIfReadable(QColor(0, 0, 128), {background, colours.color(QPalette::Button)});
    const bool dark = IsDarkBackground(background);
    constexpr const char *kRedrawnIcons = "korvantaRedrawnIcons";
    for (int i = 0; i < tabs->count(); ++i) {
        // An invalid colour leaves the caption to the palette.
        tabs->setTabTextColor(i, caption);
        // On a light palette the icons stay as built, not decoded before they are drawn.
        if (dark || pages->property(kRedrawnIcons).toBool()) {
            const QByteArray iconName = tabs->tabData(i).toByteArray();
            pages->setTabIcon(i, IconVisibleOn(korvantaIcon(iconName.constData()), background));
        }
    }
    pages->setProperty(kRedrawnIcons, dark);
}

void MainWindowUi::setupUi(TForm1 &w) {
    w.setWindowTitle(TForm1::tr("Korvanta Sound Recorder"));
    w.setMinimumSize(560, 375);
    w.resize(598, 428);

    buildActions(w);
    buildMenus(w);
    buildToolBar(w);

    auto *central = new QWidget(&w);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildTabs(w);
    w.buildPageKeys();
    column->addWidget(w.PageControl1, 1);
    buildBottomStrip(w);
    column->addWidget(w.Panel1);
    w.setCentralWidget(central);
    buildStatusBar(w);
    // The design sizes are the least; a larger font may need more for the tab row, the tool
    // bar or the status panels.
    w.setMinimumSize(w.minimumSize().expandedTo(w.layout()->minimumSize()));
    w.resize(w.size().expandedTo(w.minimumSize()));
}

void MainWindowUi::buildActions(TForm1 &w) {
    auto action = [&w](const QString &text, const QKeySequence &shortcut = {}) {
        auto *a = new QAction(text, &w);
        a->setShortcut(shortcut);
        return a;
    };
    // Captions carry their Alt mnemonics; the shortcuts are the window's own keys.
    w.Open1 = action(TForm1::tr("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    w.Open1->setIcon(korvantaIcon("document-open"));
    w.Exit1 = action(TForm1::tr("E&xit"));
    w.Exit1->setIcon(korvantaIcon("application-exit"));
    w.Record1 = action(TForm1::tr("&Record"), QKeySequence(Qt::CTRL | Qt::Key_R));
    w.Record1->setIcon(korvantaIcon("media-record"));
    w.Play1 = action(TForm1::tr("&Play"), QKeySequence(Qt::CTRL | Qt::Key_P));
    w.Play1->setIcon(korvantaIcon("media-playback-start"));
    // Ctrl+Shift+P sits beside Play's Ctrl+P; the keyboard's Pause key works as well.
    w.Pause1 = action(TForm1::tr("P&ause"));
    w.Pause1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), QKeySequence(Qt::Key_Pause)});
    w.Pause1->setIcon(korvantaIcon("media-playback-pause"));
    w.Stop1 = action(TForm1::tr("&Stop"), QKeySequence(Qt::CTRL | Qt::Key_S));
    w.Stop1->setIcon(korvantaIcon("media-playback-stop"));
    w.Options1 = action(TForm1::tr("&Recording Controls"));
    w.Options1->setIcon(korvantaIcon("audio-input-microphone"));
    w.PlaybackVolumeControls1 = action(TForm1::tr("Playback &Volume Controls"));
    w.PlaybackVolumeControls1->setIcon(korvantaIcon("audio-volume-high"));
    w.FileInfo1 = action(TForm1::tr("File &Info..."));
    w.FileInfo1->setIcon(korvantaIcon("document-properties"));
    w.Options2 = action(TForm1::tr("&Options..."), QKeySequence(Qt::Key_F2));
    w.Options2->setIcon(korvantaIcon("preferences-system"));
    w.HelpContents2 = action(TForm1::tr("&Help Contents"), QKeySequence(Qt::Key_F1));
    w.HelpContents2->setIcon(korvantaIcon("help-contents"));
    w.Homepage2 = action(TForm1::tr("Home&page"));
    w.Homepage2->setIcon(korvantaIcon("go-home"));
    w.ipoftheDay1 = action(TForm1::tr("&Tip of the Day"));
    w.About1 = action(TForm1::tr("&About"));
    w.About1->setIcon(korvantaIcon("help-about"));
}

void MainWindowUi::buildMenus(TForm1 &w) {
    QMenu *file = w.menuBar()->addMenu(TForm1::tr("&File"));
    file->addAction(w.Open1);
    file->addSeparator();
    file->addAction(w.Exit1);

    QMenu *actionMenu = w.menuBar()->addMenu(TForm1::tr("&Action"));
    actionMenu->addAction(w.Record1);
    actionMenu->addSeparator();
    actionMenu->addAction(w.Play1);
    actionMenu->addAction(w.Pause1);
    actionMenu->addAction(w.Stop1);

    QMenu *options = w.menuBar()->addMenu(TForm1::tr("&Options"));
    options->addAction(w.Options1);
    options->addAction(w.PlaybackVolumeControls1);
    options->addAction(w.FileInfo1);
    options->addSeparator();
    options->addAction(w.Options2);

    QMenu *help = w.menuBar()->addMenu(TForm1::tr("&Help"));
    help->addAction(w.HelpContents2);
    help->addSeparator();
    help->addAction(w.Homepage2);
    help->addSeparator();
    help->addAction(w.ipoftheDay1);
    help->addAction(w.About1);
}

void MainWindowUi::buildToolBar(TForm1 &w) {
    auto *bar = new QToolBar(QStringLiteral("ToolBar1"), &w);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    w.ToolBtnOpen = makeToolButton(bar, TForm1::tr("Open"), TForm1::tr("Open a file"),
                                   korvantaIcon("document-open"));
    w.ToolBtnOptions = makeToolButton(bar, TForm1::tr("Options"), TForm1::tr("Options"),
                                      korvantaIcon("preferences-system"));
    w.ToolBtnAutostop =
        makeToolButton(bar, TForm1::tr("Auto Stop"), QString(), korvantaIcon("chronometer"));
    // Pressed while a limit is set; only the program changes that state.
    w.ToolBtnAutostop->setCheckable(true);
    auto *separator = new QWidget(bar);
    separator->setFixedWidth(8);
    bar->addWidget(separator);
    w.ToolBtnHelp = makeToolButton(bar, TForm1::tr("Help"), TForm1::tr("Help Contents"),
                                   korvantaIcon("help-contents"));
    w.ToolBtnAbout =
        makeToolButton(bar, TForm1::tr("About"), TForm1::tr("About"), korvantaIcon("help-about"));
    w.addToolBar(Qt::TopToolBarArea, bar);
}

void MainWindowUi::buildTabs(TForm1 &w) {
    w.PageControl1 = new QTabWidget(&w);
    w.PageControl1->setObjectName(QStringLiteral("w.PageControl1"));
    // Bold captions on compact tabs. Done with a style and a font rather than a style sheet,
    // which would restyle every control on the pages and slow the window's start.
    QTabBar *tabs = w.PageControl1->tabBar();
    auto *compact = new CompactTabStyle;  // on top of whatever the application style is
    compact->setParent(tabs);
    tabs->setStyle(compact);
    QFont bold = tabs->font();
    bold.setBold(true);
    tabs->setFont(bold);
    w.TabSheet1 = buildRecordSoundTab(w);
    w.TabSheet3 = buildRecordingControlsTab(w);
    w.TabSheet4 = buildPlaybackControlsTab(w);
    // "File Info" is an empty page until it is first shown or its controls are first
    // needed: its list and fields cost more to build than the rest of the window's pages.
    w.TabSheet2 = new QWidget;
    w.PageControl1->addTab(w.TabSheet1, korvantaIcon("media-record"), TForm1::tr("Record Sound"));
    w.PageControl1->addTab(w.TabSheet3, korvantaIcon("audio-input-microphone"),
                           TForm1::tr("Recording Controls"));
    w.PageControl1->addTab(w.TabSheet4, korvantaIcon("audio-volume-high"),
                           TForm1::tr("Playback Volume Controls"));
    w.PageControl1->addTab(w.TabSheet2, korvantaIcon("document-properties"),
                           TForm1::tr("File Info"));
    // The icons' names, for redrawing them when the palette changes.
    const char *const iconNames[] = {"media-record", "audio-input-microphone", "audio-volume-high",
                                     "document-properties"};
    for (int i = 0; i < tabs->count(); ++i)
        tabs->setTabData(i, QByteArray(iconNames[i]));
    // Compact tabs, so all four show at the window's first size, where the style draws them
    // so; else the style's own spacing.
    w.PageControl1->setIconSize(QSize(14, 14));
    tabs->setExpanding(false);
    if (!tabsShowWhole(tabs)) {
        tabs->setStyle(nullptr);
        delete compact;
    }
    // Every caption whole: the tab row asks for the width of all four, which the window then
    // has at least, rather than cutting captions or hiding tabs behind scroll arrows.
    tabs->setElideMode(Qt::ElideNone);
    tabs->setUsesScrollButtons(false);
    w.PageControl1->setCurrentIndex(0);
    followPalette(w.PageControl1);
    tabs->installEventFilter(&w);
    for (QWidget *sheet : {w.TabSheet2, w.TabSheet3, w.TabSheet4})
        sheet->installEventFilter(&w);
    QObject::connect(w.PageControl1, &QTabWidget::currentChanged, &w, &TForm1::pageShown);
}

QWidget *MainWindowUi::buildRecordSoundTab(TForm1 &w) {
    auto *sheet = new QWidget;
    auto *row = new QHBoxLayout(sheet);
    row->setContentsMargins(4, 4, 4, 4);

    auto *left = new QWidget(sheet);
    auto *controls = new QVBoxLayout(left);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(2);  // compact enough for the window's minimum height
    QLabel *sizeLabel = makeLabel(TForm1::tr("FFTArraySize"), left);
    controls->addWidget(sizeLabel);
    w.ComboBox1 = new QComboBox(left);
    sizeLabel->setBuddy(w.ComboBox1);
    w.ComboBox1->addItems({QStringLiteral("256"), QStringLiteral("1024"), QStringLiteral("4096")});
    controls->addWidget(w.ComboBox1);
    QLabel *windowLabel = makeLabel(TForm1::tr("FFTWindowType"), left);
    controls->addWidget(windowLabel);
    w.ComboBox2 = new QComboBox(left);
    windowLabel->setBuddy(w.ComboBox2);
    w.ComboBox2->addItems({TForm1::tr("None"), TForm1::tr("Welch"), TForm1::tr("Barlett"),
                           TForm1::tr("Hanning"), TForm1::tr("Hamming")});
    controls->addWidget(w.ComboBox2);

    w.RadioGroup1 = new QGroupBox(TForm1::tr("VisType"), left);
    w.RadioGroup1Buttons = new QButtonGroup(w.RadioGroup1);
    auto *grid = new QGridLayout(w.RadioGroup1);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(0);
    const QStringList types = {TForm1::tr("vtFFTAnalog"), TForm1::tr("vtFFTLinear"),
                               TForm1::tr("vtFFTNormal"), TForm1::tr("vtFFTFire"),
                               TForm1::tr("vtFFTGlass"),  TForm1::tr("vtFFTKryptonite")};
    for (int i = 0; i < types.size(); ++i) {
        auto *radio = new QRadioButton(types[i], w.RadioGroup1);
        w.RadioGroup1Buttons->addButton(radio, i);
        grid->addWidget(radio, i / 2, i % 2);
    }
    w.RadioGroup1Buttons->button(2)->setChecked(true);
    controls->addWidget(w.RadioGroup1);
    controls->addStretch(1);
    // 225 wide, or wider where a font needs it to show every display type whole.
    left->setFixedWidth(std::max(225, left->sizeHint().width()));
    row->addWidget(left);

    w.AudioVisualization1 = new TAudioVisualization2(sheet);
    w.AudioVisualization1->setToolTip(TForm1::tr("Sound Visualization"));
    row->addWidget(w.AudioVisualization1, 1);
    return sheet;
}

QWidget *MainWindowUi::buildRecordingControlsTab(TForm1 &w) {
    auto *sheet = new QWidget;
    w.DeviceComboIn = new QComboBox(sheet);
    return sheet;
}

QWidget *MainWindowUi::buildPlaybackControlsTab(TForm1 &w) {
    auto *sheet = new QWidget;
    w.DeviceCombo = new QComboBox(sheet);
    return sheet;
}

namespace {

// Controls built into a page already on the screen show with it.
void showBuiltLate(QWidget *sheet, std::initializer_list<QWidget *> controls) {
    if (!sheet->isVisible())
        return;
    for (QWidget *control : controls)
        control->show();
}

}  // namespace

void MainWindowUi::buildRecordingControlsRow(TForm1 &w) {
    QWidget *const sheet = w.TabSheet3;
    TForm1::RecordingControlsRow &row = w.recordingRow_;
    row.LabelInputDevice = makeLabel(TForm1::tr("Input Device"), sheet);
    row.LabelInputDevice->move(0, 6);
    row.LabelInputDevice->adjustSize();
    row.LabelInputDevice->setBuddy(w.DeviceComboIn);
    w.DeviceComboIn->move(rightOfLabel(row.LabelInputDevice, 72), 2);
    row.btnSetFilter = new QPushButton(TForm1::tr("Set Filter"), sheet);
    row.btnSetFilter->resize(buttonWidth(row.btnSetFilter, 79),
                             w.DeviceComboIn->sizeHint().height());
    row.btnSetFilter->move(sheet->width() - 81, 2);
    QWidget::setTabOrder(w.DeviceComboIn, row.btnSetFilter);
    QObject::connect(row.btnSetFilter, &QPushButton::clicked, &w, &TForm1::btnSetFilterClick);
    w.TabSheet3Resize();
    showBuiltLate(sheet, {row.LabelInputDevice, row.btnSetFilter});
}

void MainWindowUi::buildPlaybackControlsRow(TForm1 &w) {
    QWidget *const sheet = w.TabSheet4;
    TForm1::PlaybackControlsRow &row = w.playbackRow_;
    row.LabelOutputDevice = makeLabel(TForm1::tr("Output Device"), sheet);
    row.LabelOutputDevice->move(0, 6);
    row.LabelOutputDevice->adjustSize();
    row.LabelOutputDevice->setBuddy(w.DeviceCombo);
    w.DeviceCombo->move(rightOfLabel(row.LabelOutputDevice, 80), 2);
    row.chEqualizer = new QCheckBox(TForm1::tr("Equalizer"), sheet);
    row.chEqualizer->setTristate(true);
    row.chEqualizer->setCheckState(Qt::PartiallyChecked);  // undecided until the user acts
    row.chEqualizer->move(360, 4);
    row.chEqualizer->adjustSize();
    QWidget::setTabOrder(w.DeviceCombo, row.chEqualizer);
    QObject::connect(row.chEqualizer, &QCheckBox::clicked, &w, &TForm1::chEqualizerClick);
    QPushButton *equalizerBands = w.buildEqualizerBandsButton();
    w.TabSheet4Resize();
    showBuiltLate(sheet, {row.LabelOutputDevice, row.chEqualizer, equalizerBands});
}

void MainWindowUi::buildFileInfoPage(TForm1 &w) {
    QWidget *const sheet = w.TabSheet2;
    TForm1::FileInfoControls &c = w.fileInfo_;
    c.ListView1 = new QTreeWidget(sheet);
    c.ListView1->setRootIsDecorated(false);
    c.ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    c.ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    c.ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    c.ListView1->setUniformRowHeights(true);
    c.ListView1->setHeaderLabels({TForm1::tr("File name"), TForm1::tr("Size"), TForm1::tr("Time"),
                                  TForm1::tr("Save Directory")});
    c.ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    // No caption stands beside the list.
    c.ListView1->setAccessibleName(TForm1::tr("Recorded files"));

    c.PopupMenu1 = new QMenu(&w);
    c.Play2 = c.PopupMenu1->addAction(korvantaIcon("media-playback-start"), TForm1::tr("&Play"));
    c.Rename1 = c.PopupMenu1->addAction(korvantaIcon("edit-rename"), TForm1::tr("&Rename"));
    c.ShowInFolder =
        c.PopupMenu1->addAction(korvantaIcon("folder-open"), TForm1::tr("Show in &folder"));
    c.Delete2 =
        c.PopupMenu1->addAction(korvantaIcon("list-remove"), TForm1::tr("Delete from &list box"));
    c.Delete1 =
        c.PopupMenu1->addAction(korvantaIcon("edit-delete"), TForm1::tr("Delete from hard &disk"));
    for (QAction *a : c.PopupMenu1->actions())
        a->setEnabled(false);

    // Each caption is its field's buddy, which names the field for a screen reader.
    auto field = [sheet](const char *caption) {
        auto *label = makeLabel(TForm1::tr(caption), sheet);
        label->setObjectName(QStringLiteral("label ") + QLatin1String(caption));
        auto *edit = new QLineEdit(sheet);
        label->setBuddy(edit);
        return edit;
    };
    c.infoTitle = field(QT_TR_NOOP("Title:"));
    c.infoArtist = field(QT_TR_NOOP("Artist:"));
    c.infoAlbum = field(QT_TR_NOOP("Album:"));
    c.infoComment = field(QT_TR_NOOP("Comment:"));
    c.infoCopyright = field(QT_TR_NOOP("Copyright:"));
    c.infoYear = field(QT_TR_NOOP("Year:"));
    c.infoTrack = field(QT_TR_NOOP("Track:"));
    QLabel *genreLabel = makeLabel(TForm1::tr("Genre:"), sheet);
    genreLabel->setObjectName(QStringLiteral("label Genre:"));
    c.infoGenre = new QComboBox(sheet);
    genreLabel->setBuddy(c.infoGenre);
    c.infoGenre->setMaxVisibleItems(20);

    c.infoMTV = new QGroupBox(TForm1::tr("Mpeg Tag Version"), sheet);
    auto *versions = new QVBoxLayout(c.infoMTV);
    c.infoMTVv1 = new QRadioButton(TForm1::tr("ID3v1"), c.infoMTV);
    c.infoMTVv2 = new QRadioButton(TForm1::tr("ID3v2"), c.infoMTV);
    c.infoMTVv2->setChecked(true);
    versions->addWidget(c.infoMTVv1);
    versions->addWidget(c.infoMTVv2);
    // 110 wide, or as wide as the group's caption needs in this font; the buttons match it.
    const int sideWidth = std::max(110, c.infoMTV->minimumSizeHint().width());
    c.infoMTV->resize(sideWidth, 76);

    c.btnReset = new QPushButton(TForm1::tr("Reset"), sheet);
    c.btnReset->setToolTip(TForm1::tr("Reset file info"));
    c.btnReset->resize(sideWidth, 26);
    c.btnReset->setEnabled(false);
    c.btnApply = new QPushButton(TForm1::tr("Apply"), sheet);
    c.btnApply->setToolTip(TForm1::tr("Apply file info"));
    c.btnApply->resize(sideWidth, 26);
    c.btnApply->setEnabled(false);

    c.ListView1->setColumnWidth(0, 134);
    c.ListView1->setColumnWidth(1, 80);
    c.ListView1->setColumnWidth(2, 80);
    c.ListView1->setColumnWidth(3, 170);
    QStringList genres;
    for (int genre = 0; genre <= 146; ++genre)
        genres << w.AudioInformation1->GenreToString(genre);
    c.infoGenre->addItems(genres);
    c.infoGenre->setCurrentIndex(-1);

    // The keys: the tag fields, the tag version, the buttons, then the list, between the
    // pages before and the strip below, as if the page had been built with the others.
    QWidget *const keyboardOrder[] = {w.NCTSliderB1->previousInFocusChain(),
                                      c.infoTitle,
                                      c.infoArtist,
                                      c.infoAlbum,
                                      c.infoGenre,
                                      c.infoCopyright,
                                      c.infoYear,
                                      c.infoTrack,
                                      c.infoComment,
                                      c.infoMTVv1,
                                      c.infoMTVv2,
                                      c.btnReset,
                                      c.btnApply,
                                      c.ListView1};
    for (size_t i = 0; i + 1 < std::size(keyboardOrder); ++i)
        QWidget::setTabOrder(keyboardOrder[i], keyboardOrder[i + 1]);

    w.connectFileInfoCommands();
    w.TabSheet2Resize();
    // Built into a page on the screen: its controls show with it.
    if (sheet->isVisible()) {
        for (QWidget *child : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            child->show();
    }
}

void MainWindowUi::buildBottomStrip(TForm1 &w) {
    w.Panel1 = new QWidget(&w);
    w.Panel1->setObjectName(QStringLiteral("w.Panel1"));
    w.Panel1->setFixedHeight(kPanelHeight);
    w.Panel1->installEventFilter(&w);

    w.NCTSliderB1 = new TNCTSliderB2(w.Panel1);
    w.NCTSliderB1->setGeometry(8, 8, 200, 15);
    w.NCTPlayButtonB1 = new TNCTPlayButtonB2(w.Panel1);
    w.NCTPlayButtonB1->setToolTip(TForm1::tr("Play/Record Control"));
    w.NCTPlayButtonB1->setGeometry(8, 27, 200, 27);
    // The upper bar is cut to 14 high so the two bars sit one above the other.
    w.NCTAmpBar1 = new TNCTAmpBar2(w.Panel1);
    w.NCTAmpBar1->setGeometry(0, 28, 153, 14);
    w.NCTAmpBar1->setAccessibleName(TForm1::tr("Left level"));
    w.NCTAmpBar2 = new TNCTAmpBar2(w.Panel1);
    w.NCTAmpBar2->setGeometry(0, 43, 153, 13);
    w.NCTAmpBar2->setAccessibleName(TForm1::tr("Right level"));
    w.NCTTimeDisplay1 = new TNCTTimeDisplay2(w.Panel1);
    w.NCTTimeDisplay1->setToolTip(TForm1::tr("Time Elapsed"));
    w.NCTTimeDisplay1->setGeometry(0, 24, 121, 33);
}

void MainWindowUi::buildStatusBar(TForm1 &w) {
    // The activity panel is 60 wide, or as wide as its longest word needs in this font.
    int activityWidth = 60;
    for (const QString &activity : {TForm1::tr("Stop"), TForm1::tr("Recording..."),
                                    TForm1::tr("Playing..."), TForm1::tr("Pause")})
        activityWidth =
            std::max(activityWidth, w.statusBar()->fontMetrics().horizontalAdvance(activity) + 8);
    w.statusPanels_[0] = new StatusPanel(StatusPanel::Shortening::End, w.statusBar());
    w.statusPanels_[0]->setFixedWidth(activityWidth);
    // The room goes first to the format of the current file, whole (up to 300 wide): the
    // format a user records in is what they look for. The path is 320 wide where the window
    // has the room and gives way to the format where it has not (at the window's first
    // size), shortening its folders; the time left on the disk takes what is left.
    w.statusPanels_[1] = new StatusPanel(StatusPanel::Shortening::Path, w.statusBar());
    w.statusPanels_[1]->setMinimumWidth(120);
    w.statusPanels_[1]->setMaximumWidth(320);
    w.statusPanels_[1]->setPreferredWidth(320);
    w.statusPanels_[2] = new StatusPanel(StatusPanel::Shortening::End, w.statusBar());
    w.statusPanels_[2]->setMaximumWidth(300);
    w.statusPanels_[2]->setWantsWholeText(true);
    for (int i = 0; i < 3; ++i) {
        w.statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        w.statusBar()->addWidget(w.statusPanels_[i]);
    }
    w.captureStatus_ =
        new CaptureStatus(*w.AudioRecord1, w.recordingSession(), w.recordingSettings(), &w);
    w.statusBar()->addPermanentWidget(w.captureStatus_->panel(), 1);
    w.statusBar()->setSizeGripEnabled(true);
}

void MainWindowUi::placeBottomStrip(TForm1 &w) {
    const int width = w.Panel1->width();
    w.NCTSliderB1->resize(width - 24, w.NCTSliderB1->height());
    w.NCTPlayButtonB1->resize(width - 308, w.NCTPlayButtonB1->height());
    const int barsLeft = w.NCTPlayButtonB1->x() + w.NCTPlayButtonB1->width() + 7;
    w.NCTAmpBar1->move(barsLeft, w.NCTAmpBar1->y());
    w.NCTAmpBar2->move(w.NCTAmpBar1->x(), w.NCTAmpBar2->y());
    w.NCTTimeDisplay1->move(w.NCTAmpBar1->x() + w.NCTAmpBar1->width() + 7, w.NCTTimeDisplay1->y());
}

void MainWindowUi::placeFileInfoPage(TForm1 &w) {
    const int width = w.TabSheet2->width();
    const int height = w.TabSheet2->height();
    w.fileInfo_.btnReset->move(width - w.fileInfo_.btnReset->width() - 2,
                               8 + w.fileInfo_.infoMTV->height() + 8);
    w.fileInfo_.btnApply->move(w.fileInfo_.btnReset->x(),
                               w.fileInfo_.btnReset->y() + w.fileInfo_.btnReset->height() + 6);
    w.fileInfo_.infoMTV->move(w.fileInfo_.btnReset->x(), 4);

    const int listWidth = w.fileInfo_.infoMTV->x() - 28;
    const int fieldsTop = height - 4 * kFieldRow - 4;
    w.fileInfo_.ListView1->setGeometry(8, 8, listWidth, std::max(40, fieldsTop - 14));

    // Two columns of tag fields under the list; the right column ends with the list. The
    // captions get the room their text needs, so a large font pushes the fields right.
    auto caption = [&w](const QString &text) {
        return w.TabSheet2->findChild<QLabel *>(QStringLiteral("label ") + text);
    };
    auto captionsWidth = [&caption](std::initializer_list<const char *> texts) {
        int widest = 0;
        for (const char *text : texts) {
            if (QLabel *label = caption(QLatin1String(text)))
                widest = std::max(widest, label->sizeHint().width());
        }
        return widest;
    };
    constexpr int kCaptionGap = 4;
    constexpr int kLeftWidth = 122;
    const int leftEdit =
        std::max(78, 8 + captionsWidth({"Title:", "Artist:", "Album:", "Comment:"}) + kCaptionGap);
    const int rightCaption = std::max(8 + 267 - 70, leftEdit + kLeftWidth + kCaptionGap);
    const int rightEdit = std::max(
        8 + 267,
        rightCaption + captionsWidth({"Copyright:", "Year:", "Genre:", "Track:"}) + kCaptionGap);
    const int rightWidth = 8 + listWidth - rightEdit;
    auto place = [&caption, fieldsTop](const QString &text, QWidget *edit, int labelLeft,
                                       int editLeft, int editWidth, int row) {
        const int top = fieldsTop + row * kFieldRow;
        if (QLabel *label = caption(text))
            label->setGeometry(labelLeft, top, editLeft - labelLeft - kCaptionGap, 22);
        edit->setGeometry(editLeft, top, editWidth, 22);
    };
    place(QStringLiteral("Title:"), w.fileInfo_.infoTitle, 8, leftEdit, kLeftWidth, 0);
    place(QStringLiteral("Artist:"), w.fileInfo_.infoArtist, 8, leftEdit, kLeftWidth, 1);
    place(QStringLiteral("Album:"), w.fileInfo_.infoAlbum, 8, leftEdit, kLeftWidth, 2);
    place(QStringLiteral("Comment:"), w.fileInfo_.infoComment, 8, leftEdit, kLeftWidth, 3);
    place(QStringLiteral("Copyright:"), w.fileInfo_.infoCopyright, rightCaption, rightEdit,
          rightWidth, 0);
    place(QStringLiteral("Year:"), w.fileInfo_.infoYear, rightCaption, rightEdit, rightWidth, 1);
    place(QStringLiteral("Genre:"), w.fileInfo_.infoGenre, rightCaption, rightEdit, rightWidth, 2);
    place(QStringLiteral("Track:"), w.fileInfo_.infoTrack, rightCaption, rightEdit, rightWidth, 3);
}

void MainWindowUi::placeRecordingControlsRow(TForm1 &w) {
    QPushButton *const button = w.recordingRow_.btnSetFilter;
    if (!button)
        return;
    button->move(w.TabSheet3->width() - button->width() - 2, button->y());
    w.DeviceComboIn->resize(button->x() - w.DeviceComboIn->x() - 4, w.DeviceComboIn->height());
}

void MainWindowUi::placePlaybackControlsRow(TForm1 &w) {
    QCheckBox *const box = w.playbackRow_.chEqualizer;
    if (!box)
        return;
    w.DeviceCombo->resize(box->x() - w.DeviceCombo->x() - 8, w.DeviceCombo->height());
}
