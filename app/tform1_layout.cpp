// Building the main window's controls and the pixel rules that follow its size.
#include "app/tform1.h"

#include "app/capture_status.h"
#include "app/status_panel.h"
#include "audio/audio_information2.h"

#include "audio/widgets/audio_visualization2.h"
#include "audio/widgets/nct_amp_bar2.h"
#include "audio/widgets/nct_play_button_b2.h"
#include "audio/widgets/nct_slider_b2.h"
#include "audio/widgets/nct_time_display2.h"
#include "extras/korvanta_icons.h"
#include "extras/readable_colours.h"

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

// The tab captions' design colour, navy, where it reads well on the tab; elsewhere (a dark
// theme) the palette's own text colour. Tab icons are redrawn light on a dark palette.
void followPalette(QTabWidget *pages) {
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

void TForm1::buildUi() {
    setWindowTitle(tr("Korvanta Sound Recorder"));
    setMinimumSize(560, 375);
    resize(598, 428);

    buildActions();
    buildMenus();
    buildToolBar();

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildTabs();
    buildPageKeys();
    column->addWidget(PageControl1, 1);
    buildBottomStrip();
    column->addWidget(Panel1);
    setCentralWidget(central);
    buildStatusBar();
    // The design sizes are the least; a larger font may need more for the tab row, the tool
    // bar or the status panels.
    setMinimumSize(minimumSize().expandedTo(layout()->minimumSize()));
    resize(size().expandedTo(minimumSize()));
}

void TForm1::buildActions() {
    auto action = [this](const QString &text, const QKeySequence &shortcut = {}) {
        auto *a = new QAction(text, this);
        a->setShortcut(shortcut);
        return a;
    };
    // Captions carry their Alt mnemonics; the shortcuts are the window's own keys.
    Open1 = action(tr("&Open"), QKeySequence(Qt::CTRL | Qt::Key_O));
    Open1->setIcon(korvantaIcon("document-open"));
    Exit1 = action(tr("E&xit"));
    Exit1->setIcon(korvantaIcon("application-exit"));
    Record1 = action(tr("&Record"), QKeySequence(Qt::CTRL | Qt::Key_R));
    Record1->setIcon(korvantaIcon("media-record"));
    Play1 = action(tr("&Play"), QKeySequence(Qt::CTRL | Qt::Key_P));
    Play1->setIcon(korvantaIcon("media-playback-start"));
    // Ctrl+Shift+P sits beside Play's Ctrl+P; the keyboard's Pause key works as well.
    Pause1 = action(tr("P&ause"));
    Pause1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P), QKeySequence(Qt::Key_Pause)});
    Pause1->setIcon(korvantaIcon("media-playback-pause"));
    Stop1 = action(tr("&Stop"), QKeySequence(Qt::CTRL | Qt::Key_S));
    Stop1->setIcon(korvantaIcon("media-playback-stop"));
    Options1 = action(tr("&Recording Controls"));
    Options1->setIcon(korvantaIcon("audio-input-microphone"));
    PlaybackVolumeControls1 = action(tr("Playback &Volume Controls"));
    PlaybackVolumeControls1->setIcon(korvantaIcon("audio-volume-high"));
    FileInfo1 = action(tr("File &Info..."));
    FileInfo1->setIcon(korvantaIcon("document-properties"));
    Options2 = action(tr("&Options..."), QKeySequence(Qt::Key_F2));
    Options2->setIcon(korvantaIcon("preferences-system"));
    HelpContents2 = action(tr("&Help Contents"), QKeySequence(Qt::Key_F1));
    HelpContents2->setIcon(korvantaIcon("help-contents"));
    Homepage2 = action(tr("Home&page"));
    Homepage2->setIcon(korvantaIcon("go-home"));
    ipoftheDay1 = action(tr("&Tip of the Day"));
    About1 = action(tr("&About"));
    About1->setIcon(korvantaIcon("help-about"));
}

void TForm1::buildMenus() {
    QMenu *file = menuBar()->addMenu(tr("&File"));
    file->addAction(Open1);
    file->addSeparator();
    file->addAction(Exit1);

    QMenu *actionMenu = menuBar()->addMenu(tr("&Action"));
    actionMenu->addAction(Record1);
    actionMenu->addSeparator();
    actionMenu->addAction(Play1);
    actionMenu->addAction(Pause1);
    actionMenu->addAction(Stop1);

    QMenu *options = menuBar()->addMenu(tr("&Options"));
    options->addAction(Options1);
    options->addAction(PlaybackVolumeControls1);
    options->addAction(FileInfo1);
    options->addSeparator();
    options->addAction(Options2);

    QMenu *help = menuBar()->addMenu(tr("&Help"));
    help->addAction(HelpContents2);
    help->addSeparator();
    help->addAction(Homepage2);
    help->addSeparator();
    help->addAction(ipoftheDay1);
    help->addAction(About1);
}

void TForm1::buildToolBar() {
    auto *bar = new QToolBar(QStringLiteral("ToolBar1"), this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setContextMenuPolicy(Qt::PreventContextMenu);
    ToolBtnOpen = makeToolButton(bar, tr("Open"), tr("Open a file"), korvantaIcon("document-open"));
    ToolBtnOptions =
        makeToolButton(bar, tr("Options"), tr("Options"), korvantaIcon("preferences-system"));
    ToolBtnAutostop = makeToolButton(bar, tr("Auto Stop"), QString(), korvantaIcon("chronometer"));
    // Pressed while a limit is set; only the program changes that state.
    ToolBtnAutostop->setCheckable(true);
    auto *separator = new QWidget(bar);
    separator->setFixedWidth(8);
    bar->addWidget(separator);
    ToolBtnHelp =
        makeToolButton(bar, tr("Help"), tr("Help Contents"), korvantaIcon("help-contents"));
    ToolBtnAbout = makeToolButton(bar, tr("About"), tr("About"), korvantaIcon("help-about"));
    addToolBar(Qt::TopToolBarArea, bar);
}

void TForm1::buildTabs() {
    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    // Bold captions on compact tabs. Done with a style and a font rather than a style sheet,
    // which would restyle every control on the pages and slow the window's start.
    QTabBar *tabs = PageControl1->tabBar();
    auto *compact = new CompactTabStyle;  // on top of whatever the application style is
    compact->setParent(tabs);
    tabs->setStyle(compact);
    QFont bold = tabs->font();
    bold.setBold(true);
    tabs->setFont(bold);
    TabSheet1 = buildRecordSoundTab();
    TabSheet3 = buildRecordingControlsTab();
    TabSheet4 = buildPlaybackControlsTab();
    // "File Info" is an empty page until it is first shown or its controls are first
    // needed: its list and fields cost more to build than the rest of the window's pages.
    TabSheet2 = new QWidget;
    PageControl1->addTab(TabSheet1, korvantaIcon("media-record"), tr("Record Sound"));
    PageControl1->addTab(TabSheet3, korvantaIcon("audio-input-microphone"),
                         tr("Recording Controls"));
    PageControl1->addTab(TabSheet4, korvantaIcon("audio-volume-high"),
                         tr("Playback Volume Controls"));
    PageControl1->addTab(TabSheet2, korvantaIcon("document-properties"), tr("File Info"));
    // The icons' names, for redrawing them when the palette changes.
    const char *const iconNames[] = {"media-record", "audio-input-microphone", "audio-volume-high",
                                     "document-properties"};
    for (int i = 0; i < tabs->count(); ++i)
        tabs->setTabData(i, QByteArray(iconNames[i]));
    // Compact tabs, so all four show at the window's first size, where the style draws them
    // so; else the style's own spacing.
    PageControl1->setIconSize(QSize(14, 14));
    tabs->setExpanding(false);
    if (!tabsShowWhole(tabs)) {
        tabs->setStyle(nullptr);
        delete compact;
    }
    // Every caption whole: the tab row asks for the width of all four, which the window then
    // has at least, rather than cutting captions or hiding tabs behind scroll arrows.
    tabs->setElideMode(Qt::ElideNone);
    tabs->setUsesScrollButtons(false);
    PageControl1->setCurrentIndex(0);
    followPalette(PageControl1);
    tabs->installEventFilter(this);
    for (QWidget *sheet : {TabSheet2, TabSheet3, TabSheet4})
        sheet->installEventFilter(this);
    connect(PageControl1, &QTabWidget::currentChanged, this, &TForm1::pageShown);
}

QWidget *TForm1::buildRecordSoundTab() {
    auto *sheet = new QWidget;
    auto *row = new QHBoxLayout(sheet);
    row->setContentsMargins(4, 4, 4, 4);

    auto *left = new QWidget(sheet);
    auto *controls = new QVBoxLayout(left);
    controls->setContentsMargins(0, 0, 0, 0);
    controls->setSpacing(2);  // compact enough for the window's minimum height
    QLabel *sizeLabel = makeLabel(tr("FFTArraySize"), left);
    controls->addWidget(sizeLabel);
    ComboBox1 = new QComboBox(left);
    sizeLabel->setBuddy(ComboBox1);
    ComboBox1->addItems({QStringLiteral("256"), QStringLiteral("1024"), QStringLiteral("4096")});
    controls->addWidget(ComboBox1);
    QLabel *windowLabel = makeLabel(tr("FFTWindowType"), left);
    controls->addWidget(windowLabel);
    ComboBox2 = new QComboBox(left);
    windowLabel->setBuddy(ComboBox2);
    ComboBox2->addItems({tr("None"), tr("Welch"), tr("Barlett"), tr("Hanning"), tr("Hamming")});
    controls->addWidget(ComboBox2);

    RadioGroup1 = new QGroupBox(tr("VisType"), left);
    RadioGroup1Buttons = new QButtonGroup(RadioGroup1);
    auto *grid = new QGridLayout(RadioGroup1);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(2);
    grid->setVerticalSpacing(0);
    const QStringList types = {tr("vtFFTAnalog"), tr("vtFFTLinear"), tr("vtFFTNormal"),
                               tr("vtFFTFire"),   tr("vtFFTGlass"),  tr("vtFFTKryptonite")};
    for (int i = 0; i < types.size(); ++i) {
        auto *radio = new QRadioButton(types[i], RadioGroup1);
        RadioGroup1Buttons->addButton(radio, i);
        grid->addWidget(radio, i / 2, i % 2);
    }
    RadioGroup1Buttons->button(2)->setChecked(true);
    controls->addWidget(RadioGroup1);
    controls->addStretch(1);
    // 225 wide, or wider where a font needs it to show every display type whole.
    left->setFixedWidth(std::max(225, left->sizeHint().width()));
    row->addWidget(left);

    AudioVisualization1 = new TAudioVisualization2(sheet);
    AudioVisualization1->setToolTip(tr("Sound Visualization"));
    row->addWidget(AudioVisualization1, 1);
    return sheet;
}

QWidget *TForm1::buildRecordingControlsTab() {
    auto *sheet = new QWidget;
    DeviceComboIn = new QComboBox(sheet);
    return sheet;
}

QWidget *TForm1::buildPlaybackControlsTab() {
    auto *sheet = new QWidget;
    DeviceCombo = new QComboBox(sheet);
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

TForm1::RecordingControlsRow &TForm1::recordingControlsRow() {
    if (recordingRow_.btnSetFilter)
        return recordingRow_;
    QWidget *const sheet = TabSheet3;
    RecordingControlsRow &row = recordingRow_;
    row.LabelInputDevice = makeLabel(tr("Input Device"), sheet);
    row.LabelInputDevice->move(0, 6);
    row.LabelInputDevice->adjustSize();
    row.LabelInputDevice->setBuddy(DeviceComboIn);
    DeviceComboIn->move(rightOfLabel(row.LabelInputDevice, 72), 2);
    row.btnSetFilter = new QPushButton(tr("Set Filter"), sheet);
    row.btnSetFilter->resize(buttonWidth(row.btnSetFilter, 79), DeviceComboIn->sizeHint().height());
    row.btnSetFilter->move(sheet->width() - 81, 2);
    QWidget::setTabOrder(DeviceComboIn, row.btnSetFilter);
    connect(row.btnSetFilter, &QPushButton::clicked, this, &TForm1::btnSetFilterClick);
    TabSheet3Resize();
    showBuiltLate(sheet, {row.LabelInputDevice, row.btnSetFilter});
    return row;
}

TForm1::PlaybackControlsRow &TForm1::playbackControlsRow() {
    if (playbackRow_.chEqualizer)
        return playbackRow_;
    QWidget *const sheet = TabSheet4;
    PlaybackControlsRow &row = playbackRow_;
    row.LabelOutputDevice = makeLabel(tr("Output Device"), sheet);
    row.LabelOutputDevice->move(0, 6);
    row.LabelOutputDevice->adjustSize();
    row.LabelOutputDevice->setBuddy(DeviceCombo);
    DeviceCombo->move(rightOfLabel(row.LabelOutputDevice, 80), 2);
    row.chEqualizer = new QCheckBox(tr("Equalizer"), sheet);
    row.chEqualizer->setTristate(true);
    row.chEqualizer->setCheckState(Qt::PartiallyChecked);  // undecided until the user acts
    row.chEqualizer->move(360, 4);
    row.chEqualizer->adjustSize();
    QWidget::setTabOrder(DeviceCombo, row.chEqualizer);
    connect(row.chEqualizer, &QCheckBox::clicked, this, &TForm1::chEqualizerClick);
    QPushButton *equalizerBands = buildEqualizerBandsButton();
    TabSheet4Resize();
    showBuiltLate(sheet, {row.LabelOutputDevice, row.chEqualizer, equalizerBands});
    return row;
}

TForm1::FileInfoControls &TForm1::fileInfo() {
    if (!fileInfo_.ListView1)
        buildFileInfoPage();
    return fileInfo_;
}

void TForm1::buildFileInfoPage() {
    QWidget *const sheet = TabSheet2;
    FileInfoControls &c = fileInfo_;
    c.ListView1 = new QTreeWidget(sheet);
    c.ListView1->setRootIsDecorated(false);
    c.ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    c.ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    c.ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    c.ListView1->setUniformRowHeights(true);
    c.ListView1->setHeaderLabels({tr("File name"), tr("Size"), tr("Time"), tr("Save Directory")});
    c.ListView1->setContextMenuPolicy(Qt::CustomContextMenu);
    // No caption stands beside the list.
    c.ListView1->setAccessibleName(tr("Recorded files"));

    c.PopupMenu1 = new QMenu(this);
    c.Play2 = c.PopupMenu1->addAction(korvantaIcon("media-playback-start"), tr("&Play"));
    c.Rename1 = c.PopupMenu1->addAction(korvantaIcon("edit-rename"), tr("&Rename"));
    c.Delete2 = c.PopupMenu1->addAction(korvantaIcon("list-remove"), tr("Delete from &list box"));
    c.Delete1 = c.PopupMenu1->addAction(korvantaIcon("edit-delete"), tr("Delete from hard &disk"));
    for (QAction *a : c.PopupMenu1->actions())
        a->setEnabled(false);

    // Each caption is its field's buddy, which names the field for a screen reader.
    auto field = [sheet](const char *caption) {
        auto *label = makeLabel(tr(caption), sheet);
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
    QLabel *genreLabel = makeLabel(tr("Genre:"), sheet);
    genreLabel->setObjectName(QStringLiteral("label Genre:"));
    c.infoGenre = new QComboBox(sheet);
    genreLabel->setBuddy(c.infoGenre);
    c.infoGenre->setMaxVisibleItems(20);

    c.infoMTV = new QGroupBox(tr("Mpeg Tag Version"), sheet);
    auto *versions = new QVBoxLayout(c.infoMTV);
    c.infoMTVv1 = new QRadioButton(tr("ID3v1"), c.infoMTV);
    c.infoMTVv2 = new QRadioButton(tr("ID3v2"), c.infoMTV);
    c.infoMTVv2->setChecked(true);
    versions->addWidget(c.infoMTVv1);
    versions->addWidget(c.infoMTVv2);
    // 110 wide, or as wide as the group's caption needs in this font; the buttons match it.
    const int sideWidth = std::max(110, c.infoMTV->minimumSizeHint().width());
    c.infoMTV->resize(sideWidth, 76);

    c.btnReset = new QPushButton(tr("Reset"), sheet);
    c.btnReset->setToolTip(tr("Reset file info"));
    c.btnReset->resize(sideWidth, 26);
    c.btnReset->setEnabled(false);
    c.btnApply = new QPushButton(tr("Apply"), sheet);
    c.btnApply->setToolTip(tr("Apply file info"));
    c.btnApply->resize(sideWidth, 26);
    c.btnApply->setEnabled(false);

    c.ListView1->setColumnWidth(0, 134);
    c.ListView1->setColumnWidth(1, 80);
    c.ListView1->setColumnWidth(2, 80);
    c.ListView1->setColumnWidth(3, 170);
    QStringList genres;
    for (int genre = 0; genre <= 146; ++genre)
        genres << AudioInformation1->GenreToString(genre);
    c.infoGenre->addItems(genres);
    c.infoGenre->setCurrentIndex(-1);

    // The keys: the tag fields, the tag version, the buttons, then the list, between the
    // pages before and the strip below, as if the page had been built with the others.
    QWidget *const keyboardOrder[] = {NCTSliderB1->previousInFocusChain(),
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

    connectFileInfoCommands();
    TabSheet2Resize();
    // Built into a page on the screen: its controls show with it.
    if (sheet->isVisible()) {
        for (QWidget *child : sheet->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            child->show();
    }
}

void TForm1::buildBottomStrip() {
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(kPanelHeight);
    Panel1->installEventFilter(this);

    NCTSliderB1 = new TNCTSliderB2(Panel1);
    NCTSliderB1->setGeometry(8, 8, 200, 15);
    NCTPlayButtonB1 = new TNCTPlayButtonB2(Panel1);
    NCTPlayButtonB1->setToolTip(tr("Play/Record Control"));
    NCTPlayButtonB1->setGeometry(8, 27, 200, 27);
    // The upper bar is cut to 14 high so the two bars sit one above the other.
    NCTAmpBar1 = new TNCTAmpBar2(Panel1);
    NCTAmpBar1->setGeometry(0, 28, 153, 14);
    NCTAmpBar1->setAccessibleName(tr("Left level"));
    NCTAmpBar2 = new TNCTAmpBar2(Panel1);
    NCTAmpBar2->setGeometry(0, 43, 153, 13);
    NCTAmpBar2->setAccessibleName(tr("Right level"));
    NCTTimeDisplay1 = new TNCTTimeDisplay2(Panel1);
    NCTTimeDisplay1->setToolTip(tr("Time Elapsed"));
    NCTTimeDisplay1->setGeometry(0, 24, 121, 33);
}

void TForm1::buildStatusBar() {
    // The activity panel is 60 wide, or as wide as its longest word needs in this font.
    int activityWidth = 60;
    for (const QString &activity : {tr("Stop"), tr("Recording..."), tr("Playing..."), tr("Pause")})
        activityWidth =
            std::max(activityWidth, statusBar()->fontMetrics().horizontalAdvance(activity) + 8);
    statusPanels_[0] = new StatusPanel(StatusPanel::Shortening::End, statusBar());
    statusPanels_[0]->setFixedWidth(activityWidth);
    // The room goes first to the format of the current file, whole (up to 300 wide): the
    // format a user records in is what they look for. The path is 320 wide where the window
    // has the room and gives way to the format where it has not (at the window's first
    // size), shortening its folders; the time left on the disk takes what is left.
    statusPanels_[1] = new StatusPanel(StatusPanel::Shortening::Path, statusBar());
    statusPanels_[1]->setMinimumWidth(120);
    statusPanels_[1]->setMaximumWidth(320);
    statusPanels_[1]->setPreferredWidth(320);
    statusPanels_[2] = new StatusPanel(StatusPanel::Shortening::End, statusBar());
    statusPanels_[2]->setMaximumWidth(300);
    statusPanels_[2]->setWantsWholeText(true);
    for (int i = 0; i < 3; ++i) {
        statusPanels_[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        statusBar()->addWidget(statusPanels_[i]);
    }
    captureStatus_ = new CaptureStatus(*AudioRecord1, recordingSession(), this);
    statusBar()->addPermanentWidget(captureStatus_->panel(), 1);
    statusBar()->setSizeGripEnabled(true);
}

QString TForm1::statusPanel(int index) const {
    return statusPanels_[index]->fullText();
}

void TForm1::setStatusPanel(int index, const QString &text, const QString &brief) {
    statusPanels_[index]->setFullText(text, brief);
}

bool TForm1::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::PaletteChange && watched == PageControl1->tabBar())
        followPalette(PageControl1);
    if (event->type() == QEvent::Resize) {
        if (watched == Panel1)
            Panel1Resize();
        else if (watched == TabSheet2 && fileInfoBuilt())
            TabSheet2Resize();
        else if (watched == TabSheet3)
            TabSheet3Resize();
        else if (watched == TabSheet4)
            TabSheet4Resize();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::Panel1Resize() {
    const int width = Panel1->width();
    NCTSliderB1->resize(width - 24, NCTSliderB1->height());
    NCTPlayButtonB1->resize(width - 308, NCTPlayButtonB1->height());
    const int barsLeft = NCTPlayButtonB1->x() + NCTPlayButtonB1->width() + 7;
    NCTAmpBar1->move(barsLeft, NCTAmpBar1->y());
    NCTAmpBar2->move(NCTAmpBar1->x(), NCTAmpBar2->y());
    NCTTimeDisplay1->move(NCTAmpBar1->x() + NCTAmpBar1->width() + 7, NCTTimeDisplay1->y());
}

void TForm1::TabSheet2Resize() {
    const int width = TabSheet2->width();
    const int height = TabSheet2->height();
    fileInfo_.btnReset->move(width - fileInfo_.btnReset->width() - 2,
                             8 + fileInfo_.infoMTV->height() + 8);
    fileInfo_.btnApply->move(fileInfo_.btnReset->x(),
                             fileInfo_.btnReset->y() + fileInfo_.btnReset->height() + 6);
    fileInfo_.infoMTV->move(fileInfo_.btnReset->x(), 4);

    const int listWidth = fileInfo_.infoMTV->x() - 28;
    const int fieldsTop = height - 4 * kFieldRow - 4;
    fileInfo_.ListView1->setGeometry(8, 8, listWidth, std::max(40, fieldsTop - 14));

    // Two columns of tag fields under the list; the right column ends with the list. The
    // captions get the room their text needs, so a large font pushes the fields right.
    auto caption = [this](const QString &text) {
        return TabSheet2->findChild<QLabel *>(QStringLiteral("label ") + text);
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
    place(QStringLiteral("Title:"), fileInfo_.infoTitle, 8, leftEdit, kLeftWidth, 0);
    place(QStringLiteral("Artist:"), fileInfo_.infoArtist, 8, leftEdit, kLeftWidth, 1);
    place(QStringLiteral("Album:"), fileInfo_.infoAlbum, 8, leftEdit, kLeftWidth, 2);
    place(QStringLiteral("Comment:"), fileInfo_.infoComment, 8, leftEdit, kLeftWidth, 3);
    place(QStringLiteral("Copyright:"), fileInfo_.infoCopyright, rightCaption, rightEdit,
          rightWidth, 0);
    place(QStringLiteral("Year:"), fileInfo_.infoYear, rightCaption, rightEdit, rightWidth, 1);
    place(QStringLiteral("Genre:"), fileInfo_.infoGenre, rightCaption, rightEdit, rightWidth, 2);
    place(QStringLiteral("Track:"), fileInfo_.infoTrack, rightCaption, rightEdit, rightWidth, 3);
}

void TForm1::TabSheet3Resize() {
    QPushButton *const button = recordingRow_.btnSetFilter;
    if (!button)
        return;
    button->move(TabSheet3->width() - button->width() - 2, button->y());
    DeviceComboIn->resize(button->x() - DeviceComboIn->x() - 4, DeviceComboIn->height());
}

void TForm1::TabSheet4Resize() {
    QCheckBox *const box = playbackRow_.chEqualizer;
    if (!box)
        return;
    DeviceCombo->resize(box->x() - DeviceCombo->x() - 8, DeviceCombo->height());
}
