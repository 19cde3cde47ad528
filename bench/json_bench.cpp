// Reading and writing a generated 5 MB JSON document with JsonCaixa and with nlohmann-json on
// the same document, each output checked; throughput is counted in bytes of that document both
// ways.
#include <optional>
#include <random>
#include <string>

#include <QString>

#include <benchmark/benchmark.h>
#include <nlohmann/json.hpp>

#include "JsonCaixa.h"

namespace {

/// Records of a clinic-like export: objects, arrays, strings with escapes and numbers.
const std::string& document() {
    static const std::string text = [] {
        std::mt19937 random(1234);
        std::uniform_int_distribution<int> pick(0, 999999);
        const char* names[] = {"JO\u00c3O DA SILVA", "Maria \\\"Bia\\\" Souza",
                               "Ana\\tPaula / Lima", "Jos\u00e9 \\u00c9rico", "CL\u00cdNICA SA"};
        std::string out = "{\"versao\":\"1.7\",\"registros\":[";
        for (int i = 0; out.size() < 5 * 1000 * 1000; ++i) {
            if (i > 0)
                out += ',';
            const int n = pick(random);
            out += "{\"codigo\":" + std::to_string(i) + ",\"nome\":\"" + names[n % 5] +
                   "\",\"valor\":" + std::to_string(n / 100) + "." + std::to_string(n % 100) +
                   ",\"taxa\":-" + std::to_string(n % 7) +
                   "e-3,\"ativo\":" + (n % 2 ? "true" : "false") + ",\"obs\":null,\"itens\":[" +
                   std::to_string(n % 10) + "," + std::to_string(n % 1000) +
                   ",{\"tipo\":\"a\\nb\",\"qtd\":3}],\"endereco\":{\"rua\":\"Rua " +
                   std::to_string(n) + "\",\"cep\":\"01310-100\"}}";
        }
        out += "]}";
        return out;
    }();
    return text;
}

/// The document as JsonCaixa takes it, converted once before any timing.
const QString& documentText() {
    static const QString text = QString::fromStdString(document());
    return text;
}

void setThroughput(benchmark::State& state) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(document().size()));
}

/// The tree a text stands for, as nlohmann reads it: what every side's output must equal.
const nlohmann::json& expectedTree() {
    static const nlohmann::json tree = nlohmann::json::parse(document());
    return tree;
}

bool sameTree(benchmark::State& state, const std::string& text, const char* what) {
    const bool same = nlohmann::json::parse(text) == expectedTree();
    if (!same)
        state.SkipWithError(what);
    return same;
}

// Each side runs once before the timing, so that no figure holds the process's first use of
// that much memory. Each side's read is checked by writing its tree back out and reading that with
// nlohmann; each side's write, by reading the text it wrote. Both take their input in their own
// form (QString, std::string) made before the timing, and give their output in it.
void BM_ReadJsonCaixa(benchmark::State& state) {
    const QString& text = documentText();
    // The tree of the run before is let go inside the timing, as nlohmann's is.
    std::optional<vtx::JsonCaixa> bag;
    bag.emplace();
    bag->JSON(text);
    for (auto _ : state) {
        bag.emplace();
        bag->JSON(text);
        benchmark::DoNotOptimize(bag->Count());
    }
    sameTree(state, bag->JSON().toStdString(), "JsonCaixa read another tree");
    setThroughput(state);
}

void BM_ReadNlohmann(benchmark::State& state) {
    const std::string& text = document();
    nlohmann::json j = nlohmann::json::parse(text);
    for (auto _ : state) {
        j = nlohmann::json::parse(text);
        benchmark::DoNotOptimize(j.size());
    }
    sameTree(state, j.dump(), "nlohmann read another tree");
    setThroughput(state);
}

void BM_WriteJsonCaixa(benchmark::State& state) {
    vtx::JsonCaixa bag;
    bag.JSON(documentText());
    QString text = bag.JSON();
    for (auto _ : state) {
        text = bag.JSON();
        benchmark::DoNotOptimize(text.size());
    }
    sameTree(state, text.toStdString(), "JsonCaixa wrote another tree");
    setThroughput(state);
}

void BM_WriteNlohmann(benchmark::State& state) {
    const nlohmann::json j = nlohmann::json::parse(document());
    std::string text = j.dump();
    for (auto _ : state) {
        text = j.dump();
        benchmark::DoNotOptimize(text.size());
    }
    sameTree(state, text, "nlohmann wrote another tree");
    setThroughput(state);
}

} // namespace

BENCHMARK(BM_ReadJsonCaixa)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNlohmann)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteJsonCaixa)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteNlohmann)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    // The document and its checks are made before any timing.
    documentText();
    expectedTree();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
