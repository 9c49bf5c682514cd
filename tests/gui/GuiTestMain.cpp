// Runs the wizard's GUI tests: all of them, or the class named first on the
// command line (the remaining arguments go to QtTest).

#include "GuiTestUtil.h"
#include "support/NXFiles.h"

#include <QApplication>
#include <QTest>
#include <memory>

int main(int argc, char* argv[]) {
    tw::SetApplicationExeName(argv[0]);
    QApplication app(argc, argv);
    QStringList args = QApplication::arguments();
    QString only;
    if (args.size() > 1 && !args[1].startsWith(QLatin1Char('-'))) {
        only = args[1];
        args.removeAt(1);
    }
    int failures = 0;
    bool ran = false;
    for (const auto& [name, make] : TestRegistry()) {
        if (!only.isEmpty() && name != only)
            continue;
        ran = true;
        std::unique_ptr<QObject> test(make());
        failures += QTest::qExec(test.get(), args);
    }
    if (!ran) {
        qWarning("No test class named %s", qPrintable(only));
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
