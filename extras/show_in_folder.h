// "Show in folder": the file manager opens the file's folder with the file selected
// (org.freedesktop.FileManager1 ShowItems); where no file manager answers on the session bus,
// the folder opens as any folder does.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <functional>

class FolderShower : public QObject {
    Q_OBJECT
public:
    using BusOpener = std::function<QDBusConnection()>;
    // Opens a folder without the file manager's bus service (the desktop's default handler).
    using FolderOpener = std::function<void(const QString &folder)>;

    FolderShower(BusOpener sessionBus, FolderOpener openFolder, QObject *parent = nullptr);

    // Asynchronous: the window never waits for the file manager.
    void show(const QString &file);

private:
    BusOpener openSession_;
    FolderOpener openFolder_;
};
