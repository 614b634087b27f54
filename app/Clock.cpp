// The status-bar clock, the local sun panel and the one-shot start-up task.
#include "app/Main.h"

#include "licence/RecordGeometry.h"
#include "core/TimeText.h"

#include <QLabel>
#include <QTimer>

void TForm1::tmr1Timer() {
    const bool utc = GlobalProps.IsUTC(*Settings);
    const QDateTime moment = utc ? QDateTime::currentDateTimeUtc() : QDateTime::currentDateTime();
    txtDate->setText(ClockDateText(moment.date()));
    txtTime->setText(LongTimeText(moment.time()) + (utc ? QStringLiteral(" UTC") : QStringLiteral(" LCL")));
}

void TForm1::Timer1Timer() {
    Timer1->stop();
    DoLocalSolar();
    lblupdate->setVisible(CheckUpdate());
    update();
}

void TForm1::DoLocalSolar() {
    const int offset = GlobalProps.IsUTC(*Settings) ? 0 : LocalUtcOffsetSeconds();
    const double lat = GlobalProps.Latitude(*Settings);
    const double lon = GlobalProps.Longitude(*Settings);
    tellSettingNotices();
    QDateTime rise, noon, set;
    const QDateTime now = QDateTime::currentDateTime();
    HamUtil->CalculateSolarTimes(lat, lon, now, rise, noon, set);
    lblSunrise->setText(sunTimeText(rise, offset, lat, now.date()));
    lblSolarNoon->setText(sunTimeText(noon, offset, lat, now.date()));
    lblSunset->setText(sunTimeText(set, offset, lat, now.date()));
}
