// Reading and writing a generated 5 MB JSON document with JsonCaixa and with nlohmann-json on
// the same bytes; throughput is counted in bytes of that document both ways.
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

void setThroughput(benchmark::State& state) {
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(document().size()));
}

void BM_ReadJsonCaixa(benchmark::State& state) {
    for (auto _ : state) {
        vtx::JsonCaixa bag;
        bag.JSON(QString::fromStdString(document()));
        benchmark::DoNotOptimize(bag.Count());
    }
    setThroughput(state);
}

void BM_ReadNlohmann(benchmark::State& state) {
    for (auto _ : state) {
        nlohmann::json j = nlohmann::json::parse(document());
        benchmark::DoNotOptimize(j.size());
    }
    setThroughput(state);
}

void BM_WriteJsonCaixa(benchmark::State& state) {
    vtx::JsonCaixa bag;
    bag.JSON(QString::fromStdString(document()));
    for (auto _ : state) {
        QByteArray text = bag.JSON().toUtf8();
        benchmark::DoNotOptimize(text.size());
    }
    setThroughput(state);
}

void BM_WriteNlohmann(benchmark::State& state) {
    const nlohmann::json j = nlohmann::json::parse(document());
    for (auto _ : state) {
        std::string text = j.dump();
        benchmark::DoNotOptimize(text.size());
    }
    setThroughput(state);
}

} // namespace

BENCHMARK(BM_ReadJsonCaixa)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadNlohmann)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteJsonCaixa)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteNlohmann)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
