#include "GuiTestUtil.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTimer>

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

void WhenModal(std::function<void(QWidget*)> fn) {
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, fn] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            timer->stop();
            timer->deleteLater();
            fn(modal);
        }
    });
    timer->start();
}

std::vector<std::pair<QString, TestFactory>>& TestRegistry() {
    static std::vector<std::pair<QString, TestFactory>> registry;
    return registry;
}

RegisterTest::RegisterTest(const char* name, TestFactory factory) {
    TestRegistry().emplace_back(QString::fromLatin1(name), std::move(factory));
}
