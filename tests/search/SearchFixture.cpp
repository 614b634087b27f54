#include "SearchTests.h"

#include "core/Database.h"
#include "tests/support/Fixtures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSet>
#include <QTimer>
#include <QWidget>

QString searchDatabaseFile() { return programDataPath() + QStringLiteral("FCCdata.db"); }

void addSearchFixtureRows(const QString& databaseFile) {
    Database db;
    db.open(databaseFile);
    db.exec(QStringLiteral(
        "insert into FCC_EN values('300','K1QUO','L','','Marty','','Mc\"Fly','9 Clock St','','Hill Valley','CA','95420','','0300','AMAT');"
        "insert into FCC_HD values('300','A','2015-10-21','2025-10-21','1900-01-01','2015-10-21','2015-10-21');"
        "insert into FCC_AM values('300','G','');"
        "insert into canada values('VE2NOC','Lost','Person','','','QC','','A','','','','','','','','','','');"
        "insert into canada values('VE7CLB','','','5 Shore Rd','Vancouver','BC','V6B 1A1','A','','','','','NORTH SHORE','RADIO CLUB',"
        "'5 Shore Rd','Vancouver','BC','V6B 1A1');"));
}

QStringList driveModals(const std::function<void()>& trigger, const QList<ModalStep>& steps) {
    QStringList pending;
    for (const ModalStep& s : steps)
        pending << s.objectName;
    qsizetype next = 0;
    QSet<QWidget*> handled;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (next >= steps.size())
            return;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (w->isVisible() && w->objectName() == steps.at(next).objectName && !handled.contains(w)) {
                handled.insert(w);
                const ModalStep& step = steps.at(next++);
                pending.removeOne(step.objectName);
                step.act(w);
                // A failed check inside the step returns early; the window must not stay open.
                if (w->isVisible())
                    w->close();
                return;
            }
        }
    });
    poll.start();
    trigger();
    return pending;
}
