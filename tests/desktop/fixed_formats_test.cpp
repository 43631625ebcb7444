#include "desktop/fixed_formats.h"

#include <QDateTime>
#include <QLocale>
#include <gtest/gtest.h>

namespace {

TEST(FixedFormats, DatesAndTimesReadTheSameWhateverTheSystemLocale) {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    lp::applyFixedFormats();
    const QLocale locale;
    EXPECT_EQ(locale.toString(QDate(2024, 3, 5), lp::kShortDateFormat), "3/5/2024");
    EXPECT_EQ(locale.toString(QTime(13, 2, 3), lp::kLongTimeFormat), "01:02:03PM");
    EXPECT_EQ(locale.toString(QTime(0, 0, 9), lp::kLongTimeFormat), "12:00:09AM");
    QLocale::setDefault(before);
}

} // namespace
