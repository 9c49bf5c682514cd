#include "GuiTestUtil.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>

TestSite::TestSite() : dir_(QDir::tempPath() + QStringLiteral("/tw-gui-XXXXXX")) {}

QString TestSite::Root() const {
    return dir_.path() + QLatin1Char('/');
}

void TestSite::WriteFile(const QString& relative, const QByteArray& content) {
    WriteAbsolute(Path(relative), content);
}

void WriteAbsolute(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(content);
}

void TestSite::MakeFolder(const QString& relative) {
    QDir().mkpath(Path(relative));
}

void TestSite::WritePage(const QString& relative, const QString& title) {
    WriteFile(relative, QStringLiteral("<html><head><title>%1</title></head><body></body></html>")
                            .arg(title)
                            .toUtf8());
}

QByteArray ReadAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void WhenModal(std::function<void(QWidget*)> fn) {
    // Posted again until the dialog's own loop, where it is the active modal
    // widget, takes it.
    QMetaObject::invokeMethod(
        qApp,
        [fn = std::move(fn)]() mutable {
            if (QWidget* modal = QApplication::activeModalWidget())
                fn(modal);
            else
                WhenModal(std::move(fn));
        },
        Qt::QueuedConnection);
}

void ProcessEventsUntil(const std::function<bool()>& done) {
    for (;;) {
        // Deferred deletes too, so that a window closed with WA_DeleteOnClose goes.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (done())
            return;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

int LandKeyboardClicks(const QWidget* window) {
    constexpr int kClickDelayMs = 100;
    std::vector<std::pair<QPointer<QAbstractButton>, int>> pending;
    for (QAbstractButton* button : window->findChildren<QAbstractButton*>()) {
        if (button->autoRepeat())
            continue;
        for (const auto& timer : QAbstractEventDispatcher::instance()->registeredTimers(button))
            if (timer.interval == kClickDelayMs)
                pending.emplace_back(button, timer.timerId);
    }
    int landed = 0;
    // A click may run a whole scan, which can delete other buttons.
    for (const auto& [button, timerId] : pending) {
        if (!button)
            continue;
        QTimerEvent event(timerId);
        QCoreApplication::sendEvent(button, &event);
        ++landed;
    }
    return landed;
}

std::vector<std::pair<QString, TestFactory>>& TestRegistry() {
    static std::vector<std::pair<QString, TestFactory>> registry;
    return registry;
}

RegisterTest::RegisterTest(const char* name, TestFactory factory) {
    TestRegistry().emplace_back(QString::fromLatin1(name), std::move(factory));
}
