#pragma once

#include "db/journal.h"

#include <QList>
#include <QModelIndex>

namespace vok::gridedit {

// The ending every edited grid shares: `write(loaded, edited)` stores the
// edited row against the one the grid loaded and returns its new version;
// then the row takes the grid's place and the views are told. A row another
// clerk changed or deleted meanwhile goes to the model's `stale`, any other
// failure to its `failed`, and the grid keeps what it showed. True when the
// row was written.
template <typename Model, typename Row, typename Write>
bool store(Model *model, QList<Row> &rows, const QModelIndex &index, Row edited, Write &&write)
{
    try {
        edited.versiune = write(rows.at(index.row()), edited);
    } catch (const StaleRecord &refusal) {
        emit model->stale(refusal.message());
        return false;
    } catch (const DbError &error) {
        emit model->failed(error.message());
        return false;
    }
    rows[index.row()] = edited;
    emit model->dataChanged(index, index);
    return true;
}

} // namespace vok::gridedit
