// The program in a German session: the translation file is complete, the translators are found
// and installed as at start, and every text a user meets in the window and its dialogs is
// German — the program's own as well as Qt's (message box buttons, the Open dialog).
#include "app/status_panel.h"
#include "app/ui_language.h"
#include "audio/audio_information2.h"
#include "extras/about_box.h"
#include "extras/product_info.h"
#include "extras/tip_form.h"
#include "extras/tip_sequence.h"
#include "files/rename_form.h"
#include "mixer/eq_form.h"
#include "mixer/rec_flt_form.h"
#include "tests/support/window_fixture.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>
#include <QTranslator>
#include <QTreeWidget>
#include <QXmlStreamReader>

#include <functional>
#include <set>

using testsupport::waitUntil;

namespace {

struct TsMessage {
    QString context;
    QString source;
    QString translation;
    QString type;  // "unfinished", "obsolete", "vanished" or empty
};

std::vector<TsMessage> readTsFile() {
    QFile file(QStringLiteral(KORVANTA_TS_FILE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << KORVANTA_TS_FILE;
    std::vector<TsMessage> messages;
    QXmlStreamReader xml(&file);
    QString context;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("source")) {
            messages.push_back({context, xml.readElementText(), {}, {}});
        } else if (xml.name() == QLatin1String("translation") && !messages.empty()) {
            messages.back().type = xml.attributes().value(QLatin1String("type")).toString();
            messages.back().translation = xml.readElementText();
        }
    }
    EXPECT_FALSE(xml.hasError()) << qPrintable(xml.errorString());
    return messages;
}

QString withoutMnemonic(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("&(?=[^&])")));
}

// What German text may look like: each translation, its %1 places standing for anything, and
// a translation ending in a blank continued by whatever the program appends.
class GermanTexts {
public:
    explicit GermanTexts(const std::vector<TsMessage> &messages) {
        for (const TsMessage &m : messages) {
            const QString german = withoutMnemonic(m.translation);
            exact_.insert(german);
            if (german.contains(QRegularExpression(QStringLiteral("%\\d"))) ||
                german.endsWith(QLatin1Char(' '))) {
                QStringList parts = german.split(QRegularExpression(QStringLiteral("%\\d")));
                for (QString &part : parts)
                    part = QRegularExpression::escape(part);
                QString pattern = parts.join(QStringLiteral(".*"));
                if (german.endsWith(QLatin1Char(' ')))
                    pattern += QStringLiteral(".*");
                patterns_.emplace_back(QStringLiteral("^%1$").arg(pattern),
                                       QRegularExpression::DotMatchesEverythingOption);
            }
        }
    }

    // Qt's own texts in the window (the tab bar's scroll buttons), translated by Qt's catalogue.
    void addQtText(const char *context, const char *english) {
        const QString german = QCoreApplication::translate(context, english);
        EXPECT_NE(german, QLatin1String(english)) << "Qt's translation missing for " << english;
        exact_.insert(german);
    }

    void addTexts(const QStringList &texts) { exact_.insert(texts.begin(), texts.end()); }

    bool accepts(const QString &shown) const {
        const QString text = withoutMnemonic(shown);
        if (exact_.count(text) != 0)
            return true;
        for (const QRegularExpression &p : patterns_) {
            if (p.match(text).hasMatch())
                return true;
        }
        return false;
    }

private:
    std::set<QString> exact_;
    std::vector<QRegularExpression> patterns_;
};

// Texts no translation touches: digits and signs, format names (MP3), the program's name and
// addresses, and the names the sound server (here the virtual card) gives its devices and
// their mixer lines.
bool isData(const QString &text, const std::set<QString> &names) {
    if (!text.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2}"))) ||
        text.contains(QRegularExpression(QStringLiteral("^[A-Z0-9]+$"))) ||
        text.startsWith(QLatin1String(product::kProgramName)) ||
        text.contains(QLatin1String("://"))) {
        return true;
    }
    return names.count(text) != 0;
}

std::set<QString> deviceAndLineNames(AudioBackend &backend) {
    std::set<QString> names;
    for (const Direction direction : {Direction::Input, Direction::Output}) {
        const std::vector<DeviceInfo> devices = backend.devices(direction);
        for (int d = 0; d < static_cast<int>(devices.size()); ++d) {
            names.insert(devices[static_cast<size_t>(d)].name);
            for (const MixerLine &line : backend.mixerLines(direction, d)) {
                names.insert(line.name);
                for (const AdvancedControl &control : line.advanced)
                    names.insert(control.name);
            }
        }
    }
    return names;
}

// Every text a widget shows or tells a screen reader, with where it was found.
void collectTexts(QWidget *root, std::vector<std::pair<QString, QString>> *texts) {
    QList<QWidget *> widgets = root->findChildren<QWidget *>();
    widgets.prepend(root);
    auto add = [texts](const QWidget *w, const QString &what, const QString &text) {
        if (!text.trimmed().isEmpty()) {
            const QString where =
                QStringLiteral("%1 %2 (%3)")
                    .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(), what);
            texts->emplace_back(text, where);
        }
    };
    for (QWidget *w : widgets) {
        if (w->isWindow())
            add(w, QStringLiteral("title"), w->windowTitle());
        add(w, QStringLiteral("tooltip"), w->toolTip());
        add(w, QStringLiteral("accessible name"), w->accessibleName());
        if (auto *panel = dynamic_cast<StatusPanel *>(w))
            add(w, QStringLiteral("status"), panel->fullText());
        else if (auto *label = qobject_cast<QLabel *>(w))
            add(w, QStringLiteral("text"), label->text());
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            add(w, QStringLiteral("text"), button->text());
        if (auto *group = qobject_cast<QGroupBox *>(w))
            add(w, QStringLiteral("title"), group->title());
        if (auto *tabs = qobject_cast<QTabWidget *>(w)) {
            for (int i = 0; i < tabs->count(); ++i)
                add(w, QStringLiteral("tab"), tabs->tabText(i));
        }
        if (auto *tree = qobject_cast<QTreeWidget *>(w)) {
            for (int i = 0; i < tree->columnCount(); ++i)
                add(w, QStringLiteral("column"), tree->headerItem()->text(i));
        }
        // Genre names are the tag standard's own list, stored as they are.
        auto *mainWindow = qobject_cast<TForm1 *>(w->window());
        const QComboBox *genres = mainWindow ? mainWindow->infoGenre() : nullptr;
        if (auto *combo = qobject_cast<QComboBox *>(w); combo && combo != genres) {
            for (int i = 0; i < combo->count(); ++i)
                add(w, QStringLiteral("item"), combo->itemText(i));
        }
        for (QAction *action : w->actions()) {
            add(w, QStringLiteral("action"), action->text());
            if (action->toolTip() != withoutMnemonic(action->text()).remove(QStringLiteral("...")))
                add(w, QStringLiteral("action tooltip"), action->toolTip());
            if (QMenu *menu = action->menu())
                collectTexts(menu, texts);
        }
    }
}

class TranslationTest : public WindowFixture {
protected:
    void SetUp() override {
        WindowFixture::SetUp();
        // The compiled translation where an installed or built program finds it: beside it.
        const QString dir = dir_.path() + QStringLiteral("/translations");
        ASSERT_TRUE(QDir().mkpath(dir));
        ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANTA_QM_DIR "/korvanta_de.qm"),
                                dir + QStringLiteral("/korvanta_de.qm")));
        ASSERT_TRUE(InstallTranslations(*qApp, QLocale(QLocale::German, QLocale::Germany)));
        // Both tip files, so an English tip in the German session shows up as one.
        for (const char *tips : {"tips.txt", "tips_de.txt"}) {
            ASSERT_TRUE(QFile::copy(QStringLiteral(KORVANTA_TIPS_DIR "/") + QLatin1String(tips),
                                    dir_.filePath(QLatin1String(tips))));
        }
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }

    void TearDown() override {
        WindowFixture::TearDown();
        QLocale::setDefault(QLocale::system());
        for (QTranslator *t : qApp->findChildren<QTranslator *>(Qt::FindDirectChildrenOnly)) {
            QCoreApplication::removeTranslator(t);
            delete t;
        }
    }

    // Fails for every text that is neither German nor data, naming where it was found; gives
    // the number of texts looked at.
    size_t expectGerman(QWidget *root, const std::set<QString> &names) {
        GermanTexts german(readTsFile());
        german.addQtText("QTabBar", "Scroll Left");
        german.addQtText("QTabBar", "Scroll Right");
        german.addTexts(ReadTips(dir_.filePath(QStringLiteral("tips_de.txt"))));
        std::vector<std::pair<QString, QString>> texts;
        collectTexts(root, &texts);
        EXPECT_FALSE(texts.empty());
        for (const auto &[text, where] : texts) {
            EXPECT_TRUE(german.accepts(text) || isData(text, names))
                << "not German: \"" << qPrintable(text) << "\" in " << qPrintable(where);
        }
        return texts.size();
    }
};

TEST(TranslationFileTest, EveryTextHasAGermanTranslationWithItsPlacesAndNothingStale) {
    const std::vector<TsMessage> messages = readTsFile();
    EXPECT_GT(messages.size(), 250u);
    const QRegularExpression place(QStringLiteral("%\\d"));
    for (const TsMessage &m : messages) {
        SCOPED_TRACE(qPrintable(m.context + QStringLiteral(": ") + m.source));
        EXPECT_TRUE(m.type.isEmpty()) << "translation marked " << qPrintable(m.type);
        EXPECT_FALSE(m.translation.isEmpty());
        QStringList sourcePlaces, translationPlaces;
        for (const auto &match : place.globalMatch(m.source))
            sourcePlaces << match.captured();
        for (const auto &match : place.globalMatch(m.translation))
            translationPlaces << match.captured();
        sourcePlaces.sort();
        translationPlaces.sort();
        EXPECT_EQ(sourcePlaces, translationPlaces);
        EXPECT_EQ(m.source.contains(QLatin1Char('&')), m.translation.contains(QLatin1Char('&')));
        EXPECT_EQ(m.source.endsWith(QLatin1Char(' ')), m.translation.endsWith(QLatin1Char(' ')));
    }
}

TEST(TranslationFileTest, AnEnglishSessionGetsNoTranslator) {
    const QTemporaryDir dir;
    setExecutableDirectoryForTesting(dir.path() + QLatin1Char('/'));
    EXPECT_FALSE(InstallTranslations(*qApp, QLocale(QLocale::English, QLocale::UnitedStates)));
    setExecutableDirectoryForTesting(QString());
    EXPECT_EQ(QCoreApplication::translate("TForm1", "&File"), QStringLiteral("&File"));
    for (QTranslator *t : qApp->findChildren<QTranslator *>(Qt::FindDirectChildrenOnly)) {
        QCoreApplication::removeTranslator(t);
        delete t;
    }
}

TEST_F(TranslationTest, MenusAreGermanWithOneLetterPerCommand) {
    TForm1 &w = openWindow();
    QStringList menus;
    for (QAction *a : w.menuBar()->actions())
        menus << a->text();
    EXPECT_EQ(menus, (QStringList{QStringLiteral("&Datei"), QStringLiteral("&Aktion"),
                                  QStringLiteral("&Optionen"), QStringLiteral("&Hilfe")}));
    EXPECT_EQ(w.Record1->text(), QStringLiteral("&Aufnehmen"));
    EXPECT_EQ(w.PageControl1->tabText(3), QStringLiteral("Dateiinfo"));

    // Alt plus a letter must reach one command in each menu, in German as in English.
    std::vector<QMenu *> menuList{w.PopupMenu1()};
    for (QAction *a : w.menuBar()->actions())
        menuList.push_back(a->menu());
    std::set<QChar> barLetters;
    for (QAction *a : w.menuBar()->actions()) {
        const int at = a->text().indexOf(QLatin1Char('&'));
        ASSERT_GE(at, 0) << qPrintable(a->text());
        EXPECT_TRUE(barLetters.insert(a->text().at(at + 1).toLower()).second);
    }
    for (QMenu *menu : menuList) {
        std::set<QChar> letters;
        for (QAction *a : menu->actions()) {
            if (a->isSeparator())
                continue;
            const int at = a->text().indexOf(QLatin1Char('&'));
            ASSERT_GE(at, 0) << qPrintable(a->text());
            EXPECT_TRUE(letters.insert(a->text().at(at + 1).toLower()).second)
                << "letter used twice: " << qPrintable(a->text());
        }
    }
}

TEST_F(TranslationTest, QtsOwnMessageBoxButtonsAndOpenDialogAreGerman) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("?"), QStringLiteral("?"),
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
    EXPECT_EQ(withoutMnemonic(box.button(QMessageBox::Yes)->text()), QStringLiteral("Ja"));
    EXPECT_EQ(withoutMnemonic(box.button(QMessageBox::No)->text()), QStringLiteral("Nein"));
    EXPECT_EQ(withoutMnemonic(box.button(QMessageBox::Cancel)->text()),
              QStringLiteral("Abbrechen"));

    // The program's own Open dialog: Qt's captions and buttons and the program's file types.
    TForm1 &w = openWindow();
    QStringList labels, buttons, types;
    QString title;
    QTimer::singleShot(0, &w, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        title = dialog->windowTitle();
        for (QLabel *label : dialog->findChildren<QLabel *>())
            labels << label->text();
        for (QAbstractButton *b : dialog->findChild<QDialogButtonBox *>()->buttons())
            buttons << withoutMnemonic(b->text());
        for (QComboBox *combo : dialog->findChildren<QComboBox *>()) {
            for (int i = 0; i < combo->count(); ++i)
                types << combo->itemText(i);
        }
        dialog->reject();
    });
    w.Open1->trigger();
    EXPECT_EQ(title, QStringLiteral("Datei öffnen"));
    EXPECT_TRUE(labels.contains(QStringLiteral("Suchen in:"))) << qPrintable(labels.join('|'));
    EXPECT_TRUE(buttons.contains(QStringLiteral("Öffnen"))) << qPrintable(buttons.join('|'));
    EXPECT_TRUE(buttons.contains(QStringLiteral("Abbrechen"))) << qPrintable(buttons.join('|'));
    EXPECT_TRUE(types.contains(QStringLiteral("WAV-Dateien (*.wav)")))
        << qPrintable(types.join('|'));
}

TEST_F(TranslationTest, NoEnglishIsLeftInTheWindowOrItsDialogs) {
    TForm1 &w = openWindow();
    const std::set<QString> names = deviceAndLineNames(testBackend());
    for (int i = 0; i < w.PageControl1->count(); ++i) {
        w.PageControl1->setCurrentIndex(i);
        QCoreApplication::processEvents();
    }
    EXPECT_GT(expectGerman(&w, names), 100u);

    // The window's own dialogs, as its commands open them.
    auto checkDialog = [&](const std::function<void()> &open) {
        bool seen = false;
        QTimer::singleShot(0, &w, [&] {
            if (auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                seen = true;
                expectGerman(dialog, names);
                dialog->reject();
            }
        });
        open();
        EXPECT_TRUE(seen);
    };
    checkDialog([&] { w.Options2->trigger(); });
    checkDialog([&] { w.ToolBtnAutostop->click(); });

    TRenameForm rename(&w);
    expectGerman(&rename, names);
    TfrmEQ equalizer(*w.AudioPlayer1, w.chEqualizer(), &w);
    expectGerman(&equalizer, names);
    TfrmRecFlt filters(*w.AudioRecord1, &w);
    expectGerman(&filters, names);
    TTipForm tips(&w);
    expectGerman(&tips, names);
    EXPECT_TRUE(ReadTips(dir_.filePath(QStringLiteral("tips_de.txt")))
                    .contains(tips.RichEdit1->toPlainText()))
        << qPrintable(tips.RichEdit1->toPlainText());
    TAboutBox about(&w);
    expectGerman(&about, names);
}

TEST_F(TranslationTest, MessagesFromTheSoundAndFileLayersAreGerman) {
    TAudioFile2 file;
    file.SetFormatPCM(44100, 2, 16);
    file.CreateFile(dir_.path() + QStringLiteral("/missing/x.wav"), 0);
    EXPECT_TRUE(file.LastErrorText().contains(QStringLiteral("kann nicht angelegt werden")))
        << qPrintable(file.LastErrorText());

    const QString folder = dir_.path();
    TAudioInformation2 info;
    EXPECT_FALSE(info.GetAudioInformation(folder + QStringLiteral("/none.mp3")));
    EXPECT_EQ(info.LastErrorText(),
              QStringLiteral("Datei nicht gefunden: %1/none.mp3").arg(folder));
    EXPECT_FALSE(info.GetAudioInformation(folder));
    EXPECT_TRUE(info.LastErrorText().contains(QStringLiteral("ein Ordner")))
        << qPrintable(info.LastErrorText());
}

}  // namespace
