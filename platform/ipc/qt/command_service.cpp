#include "platform/ipc/qt/command_service.h"

#include <QSocketNotifier>

namespace orv::ipc::qt {

CommandService::CommandService(CommandServer& server, RequestHandler& handler, int idleMs, QObject* parent)
    : QObject(parent),
      server_(server),
      handler_(handler),
      idleMs_(idleMs),
      listener_(new QSocketNotifier(server.fd(), QSocketNotifier::Read, this)) {
  connect(listener_, &QSocketNotifier::activated, this, &CommandService::accept);
}

CommandService::~CommandService() {
  for (auto& [fd, client] : clients_) client.notifier->setEnabled(false);
}

void CommandService::accept() {
  std::optional<ClientSession> session = server_.acceptClient();
  if (!session || clientCount() >= kMaxClients) return;  // refused or too many: closed unanswered
  const int fd = session->fd();
  Client client{std::move(*session), std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read),
                std::make_unique<QTimer>()};
  connect(client.notifier.get(), &QSocketNotifier::activated, this, [this, fd] { serve(fd); });
  client.idle->setSingleShot(true);
  connect(client.idle.get(), &QTimer::timeout, this, [this, fd] { drop(fd); });
  client.idle->start(idleMs_);
  clients_.emplace(fd, std::move(client));
}

void CommandService::serve(int fd) {
  auto it = clients_.find(fd);
  if (it == clients_.end()) return;
  if (!it->second.session.serveAvailable(handler_)) return drop(fd);
  it->second.idle->start(idleMs_);
}

void CommandService::drop(int fd) {
  auto it = clients_.find(fd);
  if (it == clients_.end()) return;
  // The notifier may be the one whose signal is running: it goes later.
  it->second.notifier->setEnabled(false);
  it->second.notifier.release()->deleteLater();
  it->second.idle.release()->deleteLater();
  clients_.erase(it);
}

}  // namespace orv::ipc::qt
