#include "frmPesni.h"

#include "core/catalogue/TrackTable.h"
#include "ui/controls/modListViewEnh.h"
#include "ui/platform/ListView.h"
#include "ui/platform/Twips.h"

#include <QResizeEvent>

frmPesni::frmPesni(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmPesni"));
    setWindowTitle(QStringLiteral("Список треков текущего исполнителя"));
    lv2 = new ListView(this);
    lv2->setObjectName(QStringLiteral("lv2"));
    lv2->setAccessibleName(QStringLiteral("Треки исполнителя"));
    modListViewEnh::EnhListView_Toggle_FlatColumnHeaders(this, lv2, false);
    lv2->addColumn(QStringLiteral("№"), 30);
    lv2->addColumn(QStringLiteral("Название"), 300);
    lv2->addColumn(QStringLiteral("Альбом"), 150);
    lv2->addColumn(QStringLiteral("Длительность"), 30);
    lv2->addColumn(QStringLiteral("Тип и № носителя"), 120);
    resize(Twips::toPixelsX(8055), Twips::toPixelsY(4305));
}

void frmPesni::fill(const TrackTable &table, const QString &artist)
{
    const QString wanted = artist.toUpper();
    QVector<ListItem> rows;
    TrackRecord r;
    for (int i = 1; i <= table.count(); ++i) {
        table.read(i, r);
        if (r.at(TrackRecord::Artist).toString().toUpper() != wanted)
            continue;
        ListItem item;
        item.texts = FieldList::fromList(
            {QString::number(rows.size() + 1), r.value(TrackRecord::Title), r.value(TrackRecord::Album),
             r.value(TrackRecord::Duration),
             r.value(TrackRecord::MediaType) + QStringLiteral(" #") + r.value(TrackRecord::MediaNumber)});
        rows.append(item);
    }
    lv2->setItems(std::move(rows));
}

void frmPesni::resizeEvent(QResizeEvent *event)
{
    QDialog::resizeEvent(event);
    // The list fills the window; a minimised window leaves it as it was.
    if (!isMinimized())
        lv2->setGeometry(rect());
}
