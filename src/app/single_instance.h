#pragma once
// One running Velmar per user: a lock file named "VelmarMutex" marks the
// running instance and a local socket beside it lets a second start ask the
// first to come to the front. The second start then ends; its command line
// is not passed on.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

namespace velmar::app {

class SingleInstance final : public QObject {
    Q_OBJECT
  public:
    // `folder`: where the lock and the socket live (the per-user runtime folder).
    explicit SingleInstance(const QString& folder, QObject* parent = nullptr);
    ~SingleInstance() override;
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // True when this process is now the running instance. False when another
    // one runs: it has been asked to come to the front.
    bool acquire();

    static QString defaultFolder();

  signals:
    void activationRequested();

  private:
    QString lockPath_;
    QString socketPath_;
    std::unique_ptr<QLockFile> lock_;
    std::unique_ptr<QLocalServer> server_;
};

} // namespace velmar::app
