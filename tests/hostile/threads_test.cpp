// A host may decode on several threads at once: four threads each decode
// their own documents through GetPicture, over and over, while palette and
// layer chunks rewrite the process-wide settings defaults. Run under
// ThreadSanitizer by the native-tsan preset.
#include "hostile_documents.h"
#include "picture_requests.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace {

using namespace rova_test;

// The writer's document with an extra palette and an extra page whose
// chunks set the shared defaults; neither is current, so the picture stays.
Bytes WithSettingsChunks(const DocSpec& spec, std::uint8_t value)
{
    const Bytes palette = Concat({Chunk(2000, U32(value)), Chunk(2001, U8(value)), Chunk(2002, U8(value))});
    const Bytes layer = Concat({Chunk(2001, U8(value)), Chunk(2002, U8(value))});
    const Bytes page = Concat({Chunk(1005, U16(2)), Chunk(1006, U16(2)), Chunk(2003, layer)});
    return Rova2File(Concat({Rova2Body(spec), Chunk(3003, palette), Chunk(2003, page)}));
}

struct Job {
    Bytes image;
    ExpectedPicture expected;
    std::string failure;
};

void Decode(Job& job, int rounds)
{
    for (int i = 0; i < rounds && job.failure.empty(); ++i) {
        HLOCAL header = nullptr;
        HLOCAL pixels = nullptr;
        const int code = RequestPicture(reinterpret_cast<const char*>(job.image.data()),
                                        static_cast<std::int64_t>(job.image.size()), 1, &header, &pixels);
        if (code != SPI_SUCCESS) {
            job.failure = "GetPicture answered " + std::to_string(code);
            break;
        }
        job.failure = CompareDib(job.expected, static_cast<const std::uint8_t*>(LocalLock(header)), LocalSize(header),
                                 static_cast<const std::uint8_t*>(LocalLock(pixels)), LocalSize(pixels));
        LocalUnlock(header);
        LocalUnlock(pixels);
        LocalFree(header);
        LocalFree(pixels);
    }
}

TEST(Threads, FourThreadsDecodeTheirOwnDocuments)
{
    std::vector<Job> jobs;
    for (int k = 0; k < 4; ++k) {
        DocSpec spec = ShapesDocument(96 + 17 * k, 64 + 9 * k, 1 + static_cast<std::size_t>(k));
        spec.nibbleMode = k == 3;
        jobs.push_back(Job{WithSettingsChunks(spec, static_cast<std::uint8_t>(k + 1)), ExpectedFlattening(spec), {}});
    }
    // One of them first-generation, read by the other reader.
    const DocSpec legacy = ShapesDocument(33, 21, 2);
    jobs[2] = Job{LegacyFileBytes(LegacyFromDoc(legacy)), ExpectedFlattening(legacy), {}};

    std::vector<std::thread> threads;
    for (Job& job : jobs)
        threads.emplace_back(Decode, std::ref(job), 40);
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t k = 0; k < jobs.size(); ++k)
        EXPECT_EQ(jobs[k].failure, "") << "thread " << k;
}

}  // namespace
