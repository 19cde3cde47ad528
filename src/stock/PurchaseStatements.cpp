// Purchase statements; every join matches the installation key too.
#include "PurchaseStatements.h"

#include "Session.h"

namespace vtx::PurchaseStatements {

const QString kLines = QStringLiteral(
    "select i.lote,i.dtv,i.status,i.dte,i.dtc, i.idlan,i.cdpro,p.dspro,p.un,i.qtde,i.vfinal,"
    "i.vfrete,i.evcad,i.qtest from insumos_cmp i left join produtos p on p.idlic = i.idlic and "
    "i.cdpro = p.cdpro where i.idlic = ? and i.cdfor = ? and i.serie = ? and i.nfiscal = ? and "
    "i.modelo = ?");

const QString kSupply = QStringLiteral("select * from produtos where  idlic = ? and cdpro = ?");

const QString kPending =
    QStringLiteral("select distinct cdfor,serie,nfiscal,modelo from insumos_cmp where idlic = ? "
                   "and status = ? order by cdfor,serie,nfiscal,modelo");

const QString kInsert = QStringLiteral(
    "insert into insumos_cmp (idlic,idlan,cdfor,serie,nfiscal,modelo,dte,dtc,cdpro,vfinal,"
    "vfrete,qtde,status,evcad,lote) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");

const QString kInsertWithExpiry = QStringLiteral(
    "insert into insumos_cmp (idlic,idlan,cdfor,serie,nfiscal,modelo,dte,dtc,cdpro,vfinal,"
    "vfrete,qtde,status,evcad,lote,dtv) values (?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");

// A closed purchase keeps its lines and their freight, whatever an open screen still shows.
const QString kDelete =
    QStringLiteral("delete from insumos_cmp where  idlic = ? and idlan = ? and status = 'N'");

const QString kOpenLines = QStringLiteral(
    "select idlan,qtde,vfinal from insumos_cmp where idlic = ? and cdfor = ? and serie = ? and "
    "nfiscal = ? and modelo = ? and status = 'N' for update");

const QString kFreight = QStringLiteral(
    "update insumos_cmp set vfrete = ? where  idlic = ? and  idlan = ? and status = 'N'");

const QString kClose = QStringLiteral("update insumos_cmp set status = ? where  idlic = ? and "
                                      "cdfor = ? and serie = ? and nfiscal = ? and modelo = ?");

Params purchase(qlonglong supplier, qlonglong series, qlonglong number, const QString& model) {
    return {gIdLic, supplier, series, number, model};
}

bool isDigits(const QString& text, int maxLength) {
    if (text.isEmpty() || text.size() > maxLength)
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

} // namespace vtx::PurchaseStatements
