// Reads the results that bench/run gathered (one JSON file of Google Benchmark per program and
// round, named "<program>.<round>.json") and prints, for each path, our median time, the
// reference's and their ratio, with the range over the runs. Exits with 1 when a benchmark
// reported an error (a wrong output) or a figure is missing.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace {

/// One line of the table: our benchmark beside the reference's, both of one program; a line
/// without a reference shows our time alone.
struct Line {
    const char* what;
    const char* program;
    const char* ours;
    const char* reference;
    const char* referenceName;
};

struct Section {
    const char* title;
    std::vector<Line> lines;
};

const std::vector<Section> kSections{
    {"Database layer: 10,000 rows of 10 columns read, 1,000 rows written",
     {{"read 10,000 rows", "db_bench", "Read_Layer", "Read_CApi", "C API"},
      {"read 10,000 rows, ODBC alone (the driver's ceiling)", "db_bench", "Read_OdbcAlone",
       "Read_CApi", "C API"},
      {"batched write of 1,000 rows", "db_bench", "Write_LayerBatch", "Write_CApiMultiRowInsert",
       "C API, one multi-row INSERT"},
      {"per-row execute of 1,000 rows", "db_bench", "Write_LayerPerRow", "Write_CApiMultiRowInsert",
       "C API, one multi-row INSERT"}}},
    {"Documents",
     {{"day agenda, 1 page", "pdf_bench", "BM_PDFPrinter/1", "BM_Libharu/1", "libharu"},
      {"day agenda, 100 pages", "pdf_bench", "BM_PDFPrinter/100", "BM_Libharu/100", "libharu"},
      {"day agenda, 1,000 pages", "pdf_bench", "BM_PDFPrinter/1000", "BM_Libharu/1000", "libharu"},
      {"text report to PDF, 1,000 pages", "textpdf_bench", "BM_TextToPdf", "BM_Libharu", "libharu"},
      {"paged text report, 42,000 records", "textpdf_bench", "BM_PagedTextReport", nullptr,
       nullptr},
      {"JSON read, 5 MB", "json_bench", "BM_ReadJsonCaixa", "BM_ReadNlohmann", "nlohmann-json"},
      {"JSON write, 5 MB", "json_bench", "BM_WriteJsonCaixa", "BM_WriteNlohmann",
       "nlohmann-json"}}},
    {"Paths of the program beside their statements",
     {{"purchase history of 20,000 lines: \"Gerar\" and \"Imprimir\"", "stock_report_bench",
       "WholePath", "Statements_Layer", "list and totals, layer"},
      {"purchase history: list and totals, layer", "stock_report_bench", "Statements_Layer",
       "Statements_CApi", "C API"},
      {"\"Gerar\" of 5,000 sessions in one transaction", "schedule_bench", "Gerar_Layer",
       "Gerar_CApi", "C API, one multi-row INSERT"},
      {"one professional's day (200,000 bookings, 50,000 sessions)", "agenda_bench",
       "CarregaAgenda", "Statements_CApi", "its 4 statements, C API"},
      {"the day's 4 statements, layer", "agenda_bench", "Statements_Layer", "Statements_CApi",
       "C API"},
      {"accounts report \"Gerar\" over 100,000 instalments", "payables_bench", "Gerar",
       "Select_Layer", "its select, layer"},
      {"accounts report: its select, layer", "payables_bench", "Select_Layer", "Select_CApi",
       "C API"},
      {"accounts report \"Imprimir\", 2,273 pages", "payables_bench", "ImprimirToPdf", nullptr,
       nullptr}}},
};

double milliseconds(const nlohmann::json& run) {
    const std::string unit = run.value("time_unit", "ns");
    const double time = run.at("real_time").get<double>();
    if (unit == "s")
        return time * 1e3;
    if (unit == "ms")
        return time;
    if (unit == "us")
        return time / 1e3;
    return time / 1e6;
}

/// The benchmark's name without the settings Google Benchmark appends ("/real_time").
std::string plainName(std::string name) {
    for (const char* suffix : {"/real_time", "/manual_time"})
        if (const size_t at = name.find(suffix); at != std::string::npos)
            name.erase(at, std::string(suffix).size());
    return name;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

/// "12.3 ms (11.9-13.0)": the median and the range over the runs.
std::string figure(const std::vector<double>& v) {
    const auto [low, high] = std::minmax_element(v.begin(), v.end());
    char text[96];
    const char* format = median(v) < 10 ? "%.2f ms (%.2f-%.2f)" : "%.1f ms (%.1f-%.1f)";
    std::snprintf(text, sizeof text, format, median(v), *low, *high);
    return text;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_table RESULTS_FOLDER\n");
        return 2;
    }
    // "program/benchmark" -> its time of every round.
    std::map<std::string, std::vector<double>> times;
    int failures = 0;
    for (const auto& entry : std::filesystem::directory_iterator(argv[1])) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".json")
            continue;
        const std::string program = name.substr(0, name.find('.'));
        nlohmann::json results;
        try {
            std::ifstream in(entry.path());
            results = nlohmann::json::parse(in);
        } catch (const std::exception& e) {
            std::printf("FAILED: %s holds no results (%s)\n", name.c_str(), e.what());
            ++failures;
            continue;
        }
        for (const nlohmann::json& run : results.value("benchmarks", nlohmann::json::array())) {
            const std::string benchmark = plainName(run.value("run_name", run.value("name", "")));
            if (run.value("error_occurred", false)) {
                std::printf("FAILED: %s %s: %s\n", program.c_str(), benchmark.c_str(),
                            run.value("error_message", "").c_str());
                ++failures;
                continue;
            }
            if (run.value("run_type", "iteration") == "iteration")
                times[program + "/" + benchmark].push_back(milliseconds(run));
        }
    }
    auto timesOf = [&](const char* program, const char* benchmark) -> const std::vector<double>* {
        const auto found = times.find(std::string(program) + "/" + benchmark);
        return found == times.end() ? nullptr : &found->second;
    };

    std::printf("Ratio: our median time / the reference's (below 1: ours is faster); "
                "in brackets the range over the runs.\n");
    for (const Section& section : kSections) {
        std::printf("\n%s\n\n| | ours | reference | ratio |\n| --- | --- | --- | --- |\n",
                    section.title);
        for (const Line& line : section.lines) {
            const std::vector<double>* ours = timesOf(line.program, line.ours);
            const std::vector<double>* reference =
                line.reference ? timesOf(line.program, line.reference) : nullptr;
            if (!ours || (line.reference && !reference)) {
                std::printf("| %s | missing | | |\n", line.what);
                ++failures;
                continue;
            }
            if (!reference) {
                std::printf("| %s | %s | | |\n", line.what, figure(*ours).c_str());
                continue;
            }
            std::printf("| %s | %s | %s: %s | %.2f |\n", line.what, figure(*ours).c_str(),
                        line.referenceName, figure(*reference).c_str(),
                        median(*ours) / median(*reference));
        }
    }
    if (failures)
        std::printf("\n%d benchmark(s) FAILED or missing\n", failures);
    return failures ? 1 : 0;
}
