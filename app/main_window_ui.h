// Builds the main window's controls into TForm1's members, as generated form code would, and
// holds the pixel rules that place them as the window's size changes. TForm1 keeps its
// handlers and its state; its resize handlers call the rules here.
#pragma once

class QTabWidget;
class QWidget;
class TForm1;

class MainWindowUi {
public:
    // Menus, tool bar, pages, bottom strip and status bar. The mixer tabs' top rows and the
    // "File Info" page are built later, when first shown or first asked for.
    static void setupUi(TForm1 &w);
    static void buildRecordingControlsRow(TForm1 &w);
    static void buildPlaybackControlsRow(TForm1 &w);
    static void buildFileInfoPage(TForm1 &w);

    // The rules that follow the size of the bottom strip and of the pages.
    static void placeBottomStrip(TForm1 &w);
    static void placeFileInfoPage(TForm1 &w);
    static void placeRecordingControlsRow(TForm1 &w);
    static void placePlaybackControlsRow(TForm1 &w);

    // The tab captions' colour and icons for the palette in use.
    static void followPalette(QTabWidget *pages);

private:
    static void buildActions(TForm1 &w);
    static void buildMenus(TForm1 &w);
    static void buildToolBar(TForm1 &w);
    static void buildTabs(TForm1 &w);
    static QWidget *buildRecordSoundTab(TForm1 &w);
    static QWidget *buildRecordingControlsTab(TForm1 &w);
    static QWidget *buildPlaybackControlsTab(TForm1 &w);
    static void buildBottomStrip(TForm1 &w);
    static void buildStatusBar(TForm1 &w);
};
