#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <QtTest/QTest>

#include "app/desktop/locale_formats.h"
#include "app/desktop/qt_user_dialogs.h"

namespace app {
namespace {

// Presses a key in the next modal dialog, and records its text.
void PressInNextDialog(Qt::Key key, QString* text = nullptr) {
  QTimer::singleShot(0, [key, text] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    if (auto* box = qobject_cast<QMessageBox*>(modal); box != nullptr && text != nullptr) {
      *text = box->windowTitle() + "|" + box->text();
    }
    QTest::keyClick(modal, key);
  });
}

TEST(QtUserDialogs, ConfirmationsDefaultToNo) {
  QtUserDialogs dialogs;
  QString shown;
  PressInNextDialog(Qt::Key_Return, &shown);
  EXPECT_FALSE(dialogs.Confirm("Drop table t?"));
  EXPECT_EQ(shown, "Sure?|Drop table t?");
  PressInNextDialog(Qt::Key_Escape);
  EXPECT_FALSE(dialogs.Confirm("Again?"));

  platform::MessageRequest request;
  request.text = "Retry?";
  request.buttons = platform::DialogButton::kRetry | platform::DialogButton::kCancel;
  request.defaultButton = platform::DialogButton::kRetry;
  PressInNextDialog(Qt::Key_Return);
  EXPECT_EQ(dialogs.ShowMessageBox(request), platform::DialogButton::kRetry);
}

TEST(QtUserDialogs, InputBoxReturnsTextOrNothing) {
  QtUserDialogs dialogs;
  PressInNextDialog(Qt::Key_Return);
  EXPECT_EQ(dialogs.InputBox("Create database", "Name:", "shop"), "shop");
  PressInNextDialog(Qt::Key_Escape);
  EXPECT_EQ(dialogs.InputBox("Create database", "Name:", "shop"), std::nullopt);
}

TEST(QtUserDialogs, FiltersMatchEitherLetterCase) {
  EXPECT_EQ(QtNameFilters("SQL|*.SQL"), QStringList{"SQL (*.SQL *.sql)"});
  EXPECT_EQ(QtNameFilters("XML|*.XML|CSV|*.CSV"),
            (QStringList{"XML (*.XML *.xml)", "CSV (*.CSV *.csv)"}));
  EXPECT_EQ(QtNameFilters("All|*"), QStringList{"All (*)"});
  EXPECT_TRUE(QtNameFilters("").isEmpty());
}

TEST(LocaleFormats, QtPatternsBecomeFormatWords) {
  const struct {
    const char* pattern;
    const char* words;
  } cases[] = {
      {"dd.MM.yyyy", "dd.mm.yyyy"},      {"M/d/yy", "m/d/yyyy"},   {"yyyy-MM-dd", "yyyy-mm-dd"},
      {"h:mm:ss AP t", "h:nn:ss AM/PM"}, {"HH:mm:ss", "hh:nn:ss"}, {"d MMM yyyy", "d mmm yyyy"},
      {"H.mm 'Uhr'", "h.nn \"Uhr\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatWordsFromQtPattern(c.pattern), c.words) << c.pattern;
  }
}

TEST(LocaleFormats, EveryLocaleReadsBackWhatItWrites) {
  for (const char* name : {"en_US", "de_DE", "hu_HU", "fr_FR", "ja_JP", "en_GB"}) {
    SCOPED_TRACE(name);
    const platform::FormatSettings settings = FormatSettingsFromLocale(QLocale(name));
    for (double day = platform::EncodeDate(1900, 1, 1); day < platform::EncodeDate(2100, 1, 1);
         day += 733) {
      const double moment = day + platform::EncodeTime(17, 5, 9, 0);
      const std::string text = platform::DateTimeToStr(moment, settings);
      double back = 0;
      ASSERT_TRUE(platform::TryStrToDateTime(text, back, settings)) << text;
      EXPECT_EQ(back, moment) << text;
    }
    double number = 0;
    ASSERT_TRUE(
        platform::TryStrToFloat(platform::FloatToStr(-1234.5, 15, settings), number, settings));
    EXPECT_EQ(number, -1234.5);
  }
  EXPECT_EQ(FormatSettingsFromLocale(QLocale("de_DE")).decimalSeparator, ',');
  EXPECT_EQ(FormatSettingsFromLocale(QLocale("de_DE")).dateSeparator, '.');
  EXPECT_EQ(FormatSettingsFromLocale(QLocale("en_US")).longMonthNames[0], "January");
  EXPECT_EQ(FormatSettingsFromLocale(QLocale("hu_HU")).longDayNames[0], "vasárnap");
}

}  // namespace
}  // namespace app
