// The printed report: its layout, and the page itself rendered to PDF and
// read back with pdftotext, so that every text is checked where it lands.
#include "main/results/ReportLayout.h"
#include "main/results/ReportPainter.h"

#include "tests/TempFolder.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <regex>

namespace velnor {
namespace {

ResultsTable tableWith(int rows)
{
    ResultsTable t;
    for (int k = 1; k <= rows; ++k) {
        ExposureConditions c;
        c.bodyPart = k == 1 ? "腹部正面" : "胸部正面（立位）側面撮影";
        c.tubeVoltageKv = 70 + k;
        DoseResults d{35.1, 32.6, 33.97, 1.35, 1.34, 1.36, 0.76, 0.69, 0.72, {}, {}, {}, {}};
        BeamQuality q;
        t.addRow(c, q, d);
        if (k == 1)
            t.setEffectiveDoseOfLastRow(0.0512);
    }
    return t;
}

const ReportText* find(const ReportPage& page, const std::string& text, double yMm = -1, double xMm = -1)
{
    for (const ReportText& t : page.texts)
        if (t.text == text && (yMm < 0 || t.yMm == yMm) && (xMm < 0 || t.xMm == xMm))
            return &t;
    return nullptr;
}

TEST(ReportLayout, RowsTitleAndFrame)
{
    const ReportPage page = reportPage(tableWith(15), 33.97, "放射線科 技師");
    ASSERT_TRUE(find(page, "照射部位"));
    EXPECT_EQ(find(page, "照射部位")->xMm, 5);
    EXPECT_EQ(find(page, "定電圧", 43)->xMm, 22);
    EXPECT_EQ(find(page, "0.051", 43)->xMm, 274); // "#0.000"
    EXPECT_TRUE(find(page, "―", 53, 278));        // no effective dose
    EXPECT_TRUE(find(page, "―", 53, 120));        // no other filter
    EXPECT_EQ(find(page, "半切", 43)->xMm, 151);   // first two characters of the preset
    EXPECT_EQ(find(page, "平面", 45)->xMm, 3);
    EXPECT_EQ(reportRowY(15), 183);               // the last row inside the frame
    EXPECT_TRUE(find(page, "85", 183, 47));       // tube voltage "#00"
    EXPECT_EQ(page.texts.back().text, "放射線科 技師  with  Ostrel");
    EXPECT_EQ(page.texts.back().pointSize, 12);
    for (const ReportText& t : page.texts) {
        EXPECT_GE(t.xMm, 0);
        EXPECT_LT(t.xMm, kReportWidthMm - 5) << t.text;
        EXPECT_LE(t.yMm + 4, kReportHeightMm) << t.text;
    }
    EXPECT_EQ(find(page, "胸部正面（立位）側面撮影", 51)->maxWidthMm, 17.5); // cut to its column
}

struct Word {
    double xMm, yMm;
    std::string text;
};

// The words of a PDF page with their top-left corners in mm of the page.
std::vector<Word> pdfWords(const std::filesystem::path& pdf)
{
    const std::string html = pdf.string() + ".html";
    const std::string command = "pdftotext -bbox '" + pdf.string() + "' '" + html + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0)
        return {};
    FILE* f = std::fopen(html.c_str(), "r");
    std::string content;
    char buffer[4096];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, f))
        content.append(buffer, n);
    std::fclose(f);
    std::vector<Word> words;
    const std::regex word(R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="[0-9.]+" yMax="[0-9.]+">([^<]*)</word>)re");
    for (auto it = std::sregex_iterator(content.begin(), content.end(), word); it != std::sregex_iterator(); ++it) {
        // The CJK fonts share a glyph between some ideographs and their
        // Kangxi radicals, and pdftotext names the radical: map them back.
        std::string text = (*it)[3];
        for (const auto& [radical, ideograph] : {std::pair{"⼊", "入"}, std::pair{"⽅", "方"}, std::pair{"⾯", "面"}})
            for (std::size_t at; (at = text.find(radical)) != std::string::npos;)
                text.replace(at, std::string(radical).size(), ideograph);
        words.push_back({std::stod((*it)[1]) * 25.4 / 72, std::stod((*it)[2]) * 25.4 / 72, text});
    }
    return words;
}

TEST(ReportPdf, TextsLandAtTheirPositions)
{
    if (std::system("command -v pdftotext > /dev/null") != 0)
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    testing::TempFolder folder;
    const ReportPage page = reportPage(tableWith(15), 33.97, "ゲストユーザー");
    writeReportPdf(page, folder / "report.pdf");
    if (const char* keep = std::getenv("VELNOR_REPORT_PDF")) // for looking at the page
        std::filesystem::copy_file(folder / "report.pdf", keep, std::filesystem::copy_options::overwrite_existing);
    const std::vector<Word> words = pdfWords(folder / "report.pdf");
    ASSERT_FALSE(words.empty());
    // The printable area starts 6 mm from the left and 10 mm from the top.
    auto at = [&](const std::string& text, double xMm, double yMm) {
        for (const Word& w : words)
            if (w.text == text && std::abs(w.xMm - 6 - xMm) < 1.0 && std::abs(w.yMm - 10 - yMm) < 1.5)
                return true;
        for (const Word& w : words)
            if (w.text.find(text) != std::string::npos || text.find(w.text) != std::string::npos)
                ADD_FAILURE() << "\"" << w.text << "\" lies at " << w.xMm - 6 << ", " << w.yMm - 10 << " mm";
        return false;
    };
    EXPECT_TRUE(at("照射部位", 5, 25));
    EXPECT_TRUE(at("後方散乱係数", 185, 25));
    EXPECT_TRUE(at("定電圧", 22, 43));
    EXPECT_TRUE(at("0.051", 274, 43));
    EXPECT_TRUE(at("85", 47, 183)); // row 15
    EXPECT_TRUE(at("診断Ｘ線の入射表面線量", 50, 12));
    EXPECT_TRUE(std::any_of(words.begin(), words.end(), [](const Word& w) {
        return w.text == "Ostrel" && w.xMm - 6 > 200 && std::abs(w.yMm - 10 - 12) < 1.5;
    }));
    // Nothing runs off the table: every word starts inside the printable width.
    for (const Word& w : words)
        EXPECT_LT(w.xMm - 6, kReportWidthMm) << w.text;
}

} // namespace
} // namespace velnor

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the PDF
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
