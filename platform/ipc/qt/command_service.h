// The command socket served from a Qt main loop: each client is read as its
// bytes arrive, so a client that connects and says nothing never holds the
// window; it is dropped once it has been silent for the idle time.
#pragma once

#include <QObject>
#include <QTimer>
#include <map>
#include <memory>

#include "platform/ipc/command_socket.h"

class QSocketNotifier;

namespace orv::ipc::qt {

class CommandService : public QObject {
  Q_OBJECT

 public:
  // Serves server's clients with handler; both outlive the service.
  CommandService(CommandServer& server, RequestHandler& handler, int idleMs, QObject* parent = nullptr);
  ~CommandService() override;

  int clientCount() const { return static_cast<int>(clients_.size()); }
  // At most this many clients at once; a further one is dropped unanswered.
  static constexpr int kMaxClients = 16;

 private:
  struct Client {
    ClientSession session;
    std::unique_ptr<QSocketNotifier> notifier;
    std::unique_ptr<QTimer> idle;
  };

  void accept();
  void serve(int fd);
  void drop(int fd);

  CommandServer& server_;
  RequestHandler& handler_;
  int idleMs_;
  QSocketNotifier* listener_;
  std::map<int, Client> clients_;
};

}  // namespace orv::ipc::qt
