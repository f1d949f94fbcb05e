#include "recovery/recovery_reply.h"

#include "platform/error.h"

namespace kalvor::recovery {
namespace {
const QString kRowEnd = QStringLiteral("#end#");
const QString kSeparator = QStringLiteral("@@@");
}  // namespace

bool RecoveryReply::HoldsARow(const QString& reply) {
    return reply.contains(kRowEnd);
}

bool RecoveryReply::RowsStartWithIds(const QString& reply) {
    RecoveryReply rows(reply);
    QStringList fields;
    try {
        while (rows.Next(fields)) {
            bool number = false;
            fields.at(0).toLongLong(&number);
            if (!number) {
                return false;
            }
        }
    } catch (const Error&) {
        return false;
    }
    return HoldsARow(reply);
}

bool RecoveryReply::Next(QStringList& fields) {
    if (QStringView(reply_).mid(position_).trimmed().isEmpty()) {
        position_ = reply_.size();
        return false;
    }
    const qint64 end = reply_.indexOf(kRowEnd, position_);
    if (end < 0) {
        throw Error(err::InvalidArgument,
                    QStringLiteral("réponse du site incomplète : la ligne %1 n'a pas de fin "
                                   "(« %2 »)")
                        .arg(row_ + 1)
                        .arg(reply_.mid(position_, 80)));
    }
    ++row_;
    fields = reply_.mid(position_, end - position_).split(kSeparator);
    position_ = end + kRowEnd.size();
    return true;
}

}  // namespace kalvor::recovery
