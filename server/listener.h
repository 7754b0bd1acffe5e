#pragma once
// Accepts client connections; each gets a thread of its own with its own Session.

#include "account_set.h"

#include <QTcpServer>

namespace server {

class Listener : public QTcpServer {
    Q_OBJECT
public:
    explicit Listener(const AccountSets &accountSets, QObject *parent = nullptr)
        : QTcpServer(parent), accountSets_(accountSets) {}

protected:
    void incomingConnection(qintptr socketDescriptor) override;

private:
    const AccountSets &accountSets_;
};

} // namespace server
