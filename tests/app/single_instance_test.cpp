// The single-instance rule across real processes: a second start hands over
// to the running one and ends without touching anything; a lock left by a
// process that died does not block the next start.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <QTest>

class SingleInstanceTest : public QObject {
    Q_OBJECT
  private slots:
    void secondStartHandsOverAndEnds();

  private:
    QProcessEnvironment environment(const QString& runtime, const QString& config) const;
    static bool waitForLine(QProcess& process, const QByteArray& line, QByteArray& seen,
                            int timeoutMs);
};

QProcessEnvironment SingleInstanceTest::environment(const QString& runtime,
                                                    const QString& config) const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("XDG_CONFIG_HOME", config);
    env.insert("VELMAR_TEST_HOOKS", "1");
    env.remove("VELMAR_HOME");
    return env;
}

bool SingleInstanceTest::waitForLine(QProcess& process, const QByteArray& line, QByteArray& seen,
                                     int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!seen.contains(line) && timer.elapsed() < timeoutMs) {
        process.waitForReadyRead(100);
        seen += process.readAllStandardOutput();
        if (process.state() == QProcess::NotRunning) {
            seen += process.readAllStandardOutput();
            break;
        }
    }
    return seen.contains(line);
}

void SingleInstanceTest::secondStartHandsOverAndEnds() {
    const QString bin = QDir(qEnvironmentVariable("VELMAR_BIN_DIR")).filePath("velmar");
    QVERIFY2(QFile::exists(bin), qPrintable(bin));
    QTemporaryDir runtime, config, home1, home2;
    QFile::setPermissions(runtime.path(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QProcessEnvironment env = environment(runtime.path(), config.path());

    QProcess first;
    first.setProcessEnvironment(env);
    first.start(bin, {"--home", home1.path()});
    QByteArray firstOut;
    QVERIFY2(waitForLine(first, "ready", firstOut, 20000), firstOut.constData());

    // The second start names an archive and another home: neither is used.
    const QString archive = QDir(home2.path()).filePath("hz261213.lzh");
    {
        QFile f(archive);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not an archive");
    }
    QProcess second;
    second.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    second.start(bin, {"--home", home2.path(), archive});
    QVERIFY(second.waitForFinished(15000));
    QCOMPARE(second.exitStatus(), QProcess::NormalExit);
    QCOMPARE(second.exitCode(), 0);
    QVERIFY(second.readAllStandardOutput().contains("second instance: handed over"));
    qInfo("second start ended after %lld ms", static_cast<long long>(timer.elapsed()));
    QVERIFY2(waitForLine(first, "activated by a second start", firstOut, 10000),
             firstOut.constData());
    QCOMPARE(QDir(home2.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"hz261213.lzh"});
    QVERIFY(!QFile::exists(QDir(home1.path()).filePath("cnx_uma.vd2")));

    // The first one dies without cleaning up; the next start takes over.
    first.kill();
    QVERIFY(first.waitForFinished(10000));
    QProcess third;
    third.setProcessEnvironment(env);
    third.start(bin, {"--home", home1.path()});
    QByteArray thirdOut;
    QVERIFY2(waitForLine(third, "ready", thirdOut, 20000), thirdOut.constData());
    third.kill();
    third.waitForFinished(10000);
}

QTEST_GUILESS_MAIN(SingleInstanceTest)
#include "single_instance_test.moc"
