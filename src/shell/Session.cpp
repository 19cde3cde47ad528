// Session values that need code.
#include "Session.h"

namespace vtx {

Connection& gConexao() {
    static Connection connection;
    return connection;
}

Connection& conexaoAberta() {
    Connection& c = gConexao();
    if (!c.isOpen())
        c.open(gStrConexao);
    return c;
}

QString mainCaption() {
    return QStringLiteral("Vertalumex 1.0 - Lic.: ") + gIdLic;
}

} // namespace vtx
