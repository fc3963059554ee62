#include "survey/SurveyReport.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace velnor::survey {
namespace {

constexpr unsigned kRed = 0xCC0000;
constexpr double kRowMm = 7;
constexpr double kTableTopMm = 22;
constexpr int kRowsPerPage = 20;

std::string figure(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3g", v);
    return text;
}

std::string figure(const std::optional<double>& v) { return v ? figure(*v) : "―"; }

std::string doseName(DrlDose dose) { return std::string("入射表面線量（") + drlDoseFileName(dose) + "）"; }

std::string examinationTitle(const ExaminationSummary& s) { return s.room.empty() ? s.name : s.name + "（" + s.room + "）"; }

void addHeading(ReportPage& page, const SurveyReportInfo& info, int number, int pages)
{
    page.texts.push_back({0, 0, "線量調査　" + doseName(info.dose) + "と診断参考レベル", 14});
    page.texts.push_back({0, 9,
                          "作成 " + info.date + "　計算 " + std::to_string(info.computed) + " 件" +
                              (info.failed ? "、計算できなかったもの " + std::to_string(info.failed) + " 件" : "") + "　入力 " + info.inputs,
                          8, 250});
    page.texts.push_back({265, 0, std::to_string(number) + " / " + std::to_string(pages), 8});
}

// The summary table: the columns' left edges and headings.
struct Column {
    double x;
    const char* heading;
};
constexpr Column kColumns[] = {{0, "検査"}, {60, "撮影室"}, {84, "件数"}, {96, "範囲外"}, {110, "中央値"},   {127, "第1四分位"},
                               {144, "第3四分位"}, {161, "最小"}, {177, "最大"}, {193, "体厚中央値"}, {214, "実効線量中央値"},
                               {240, "DRL"}, {258, "中央値/DRL"}};

void addSummaryRows(ReportPage& page, const std::vector<ExaminationSummary>& summaries, std::size_t from, std::size_t to, bool band)
{
    const double top = kTableTopMm;
    for (const Column& c : kColumns)
        page.texts.push_back({c.x + 1, top + 1.5, c.heading, 8});
    page.texts.push_back({110 + 1, top + 5, "mGy", 6.5});
    page.texts.push_back({193 + 1, top + 5, "cm", 6.5});
    page.texts.push_back({214 + 1, top + 5, "mSv", 6.5});
    page.texts.push_back({240 + 1, top + 5, "mGy", 6.5});
    const double headerBottom = top + 2 * kRowMm - 4;
    page.lines.push_back({0, top, kReportWidthMm, top});
    page.lines.push_back({0, headerBottom, kReportWidthMm, headerBottom});
    double y = headerBottom;
    for (std::size_t i = from; i < to; ++i) {
        const ExaminationSummary& s = summaries[i];
        const bool any = s.count > 0;
        const bool above = s.ratio && *s.ratio > 1;
        auto cell = [&](const Column& c, const std::string& text, double width, unsigned rgb = 0) {
            page.texts.push_back({c.x + 1, y + 1.8, text, 8.5, width, rgb});
        };
        cell(kColumns[0], s.name, 58);
        cell(kColumns[1], s.room, 22);
        cell(kColumns[2], std::to_string(s.count), 11);
        cell(kColumns[3], band ? std::to_string(s.outsideBand) : "―", 13);
        cell(kColumns[4], any ? figure(s.median) : "―", 16, above ? kRed : 0);
        cell(kColumns[5], any ? figure(s.q1) : "―", 16);
        cell(kColumns[6], any ? figure(s.q3) : "―", 16);
        cell(kColumns[7], any ? figure(s.min) : "―", 15);
        cell(kColumns[8], any ? figure(s.max) : "―", 15);
        cell(kColumns[9], figure(s.medianThicknessCm), 20);
        cell(kColumns[10], figure(s.medianEffectiveDoseMsv), 25);
        cell(kColumns[11], figure(s.levelMgy), 17);
        cell(kColumns[12], s.ratio ? percentText(*s.ratio) + (above ? " 超過" : "") : "―", 26, above ? kRed : 0);
        y += kRowMm;
        page.lines.push_back({0, y, kReportWidthMm, y, 0.1});
    }
    for (const Column& c : kColumns)
        if (c.x > 0)
            page.lines.push_back({c.x, top, c.x, y, 0.1});
    page.lines.push_back({0, top, 0, y});
    page.lines.push_back({kReportWidthMm, top, kReportWidthMm, y});
}

void addNotes(ReportPage& page, const SurveyReportInfo& info)
{
    const std::string band = info.band ? "体厚範囲（体厚範囲.txt）の外の撮影は数えるだけで統計から除いています。" : "体厚による絞り込みはしていません。";
    page.texts.push_back({0, 174, "線量は" + doseName(info.dose) + "、平面の計算。四分位数は順序統計量の間の線形補間（PERCENTILE.INC）。" + band, 7.5});
    page.texts.push_back({0, 179, "DRL は標準体格の患者群の線量の中央値と比べる目安で、個々の患者の線量の上限ではありません。", 7.5});
}

// A step of 1, 2 or 5 times a power of ten that divides `span` into about five.
double tickStep(double span)
{
    const double raw = span / 5;
    const double power = std::pow(10, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0})
        if (m * power >= raw)
            return m * power;
    return 10 * power;
}

void addBoxPlot(ReportPage& page, const ExaminationSummary& s, double x0, double y0)
{
    constexpr double kWidth = 135, kHeight = 80;
    page.texts.push_back({x0, y0, examinationTitle(s), 10, kWidth});
    // Numbers follow Japanese text here: after Latin letters the font's
    // proportional digits would be printed, which PDF readers cannot copy.
    std::string line = "件数 " + std::to_string(s.count);
    if (s.outsideBand)
        line += "（体厚範囲外 " + std::to_string(s.outsideBand) + "）";
    if (s.count)
        line += "　中央値 " + figure(s.median) + " mGy";
    if (s.ratio)
        line += "　診断参考レベル " + figure(*s.levelMgy) + " mGy の " + percentText(*s.ratio);
    page.texts.push_back({x0, y0 + 5.5, line, 8, kWidth, s.ratio && *s.ratio > 1 ? kRed : 0});
    const double left = x0 + 20, right = x0 + kWidth - 30, top = y0 + 14, bottom = y0 + kHeight - 4;
    page.lines.push_back({left, top, left, bottom});
    page.lines.push_back({left, bottom, right, bottom});
    page.texts.push_back({x0, top - 4, "mGy", 7});
    if (s.count == 0) {
        page.texts.push_back({left + 5, (top + bottom) / 2, "体厚範囲内の撮影がありません", 9});
        return;
    }
    const double highest = std::max(s.max, s.levelMgy.value_or(0)) * 1.08;
    const double step = tickStep(highest);
    const double scaleTop = std::ceil(highest / step) * step;
    auto yOf = [&](double v) { return bottom - (bottom - top) * v / scaleTop; };
    for (int k = 0; k * step <= scaleTop * (1 + 1e-9); ++k) {
        const double y = yOf(k * step);
        page.lines.push_back({left - 1.5, y, left, y});
        page.texts.push_back({x0, y - 1.5, figure(k * step), 7, 17});
    }
    const double centre = (left + right) / 2, half = 15, cap = 7;
    const double q1 = yOf(s.q1), q3 = yOf(s.q3), median = yOf(s.median), low = yOf(s.min), high = yOf(s.max);
    page.lines.push_back({centre - half, q1, centre + half, q1});
    page.lines.push_back({centre - half, q3, centre + half, q3});
    page.lines.push_back({centre - half, q1, centre - half, q3});
    page.lines.push_back({centre + half, q1, centre + half, q3});
    page.lines.push_back({centre - half, median, centre + half, median, 0.7});
    page.lines.push_back({centre, q3, centre, high});
    page.lines.push_back({centre, q1, centre, low});
    page.lines.push_back({centre - cap, high, centre + cap, high});
    page.lines.push_back({centre - cap, low, centre + cap, low});
    if (s.levelMgy) {
        const double y = yOf(*s.levelMgy);
        page.lines.push_back({left, y, right, y, 0.5, kRed});
        page.texts.push_back({right + 1.5, y - 1.8, "参考レベル " + figure(*s.levelMgy), 8, 28, kRed});
    }
}

} // namespace

std::vector<ReportPage> surveyReportPages(const std::vector<ExaminationSummary>& summaries, const SurveyReportInfo& info)
{
    const int tablePages = std::max<int>(1, static_cast<int>((summaries.size() + kRowsPerPage - 1) / kRowsPerPage));
    const int plotPages = static_cast<int>((summaries.size() + 3) / 4);
    const int pages = tablePages + plotPages;
    std::vector<ReportPage> out;
    for (int p = 0; p < tablePages; ++p) {
        ReportPage page;
        addHeading(page, info, p + 1, pages);
        const std::size_t from = static_cast<std::size_t>(p) * kRowsPerPage;
        addSummaryRows(page, summaries, from, std::min(summaries.size(), from + kRowsPerPage), info.band);
        if (summaries.empty())
            page.texts.push_back({1, kTableTopMm + 12, "計算できた撮影がありません", 9});
        addNotes(page, info);
        out.push_back(page);
    }
    for (int p = 0; p < plotPages; ++p) {
        ReportPage page;
        addHeading(page, info, tablePages + p + 1, pages);
        for (std::size_t k = 0; k < 4 && 4 * p + k < summaries.size(); ++k)
            addBoxPlot(page, summaries[4 * p + k], k % 2 ? 148 : 0, k < 2 ? 18 : 102);
        page.texts.push_back({0, 186, "箱は第1から第3四分位、太線は中央値、ひげは最小と最大、赤線は診断参考レベル。", 7.5});
        out.push_back(page);
    }
    return out;
}

} // namespace velnor::survey
