#include "util/vectorengine/sweep_tessellator.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "util/vectorengine/sweep_faces.h"
#include "util/vectorengine/sweep_memory.h"
#include "util/vectorengine/sweep_mesh.h"
#include "util/vectorengine/sweep_sweep.h"

namespace {

void* heap_allocate(void*, unsigned size)
{
    return std::malloc(size);
}

void* heap_reallocate(void*, void* pointer, unsigned size)
{
    return std::realloc(pointer, size);
}

void heap_free(void*, void* pointer)
{
    std::free(pointer);
}

unsigned array_bytes(long count, std::size_t size)
{
    const unsigned long long total = static_cast<unsigned long long>(count) * size;
    if (count < 0 || total > UINT_MAX)
        throw TessFailure();
    return static_cast<unsigned>(total == 0 ? size : total);
}

}

struct Tessellator {
    explicit Tessellator(const TessAllocator& a) : alloc(a) {}

    TessAllocator alloc;
    TessMesh* mesh = nullptr;
    bool outOfMemory = false;
    float normal[3] = {0, 0, 0};
    int windingRule = TESS_WINDING_ODD;
    int vertexIndexCounter = 0;

    float* vertices = nullptr;
    int* vertexIndices = nullptr;
    int vertexCount = 0;
    int* elements = nullptr;
    int elementCount = 0;
    long loopTreeSteps = 0;

    void releaseMesh()
    {
        loopTreeSteps = mesh ? mesh->loop_tree_steps() : 0;
        tess_delete(alloc, mesh);
        mesh = nullptr;
    }

    void releaseResults()
    {
        tess_free(alloc, vertices);
        tess_free(alloc, vertexIndices);
        tess_free(alloc, elements);
        vertices = nullptr;
        vertexIndices = nullptr;
        elements = nullptr;
        vertexCount = 0;
        elementCount = 0;
    }

    TessBounds project();
    void outputPolygons(int polySize, int vertexSize, bool connected);
    void outputContours(int vertexSize);
    void writeVertex(const TessVertex* v, int position, int vertexSize);
};

namespace {

void newell_normal(const TessMesh& mesh, double n[3])
{
    n[0] = n[1] = n[2] = 0;
    for (const TessEdgePair* p = mesh.eHead.next; p != &mesh.eHead; p = p->next) {
        const float* a = p->e.Org->coords;
        const float* b = p->e.Dst()->coords;
        const double w = p->e.winding;
        n[0] += w * (double(a[1]) - b[1]) * (double(a[2]) + b[2]);
        n[1] += w * (double(a[2]) - b[2]) * (double(a[0]) + b[0]);
        n[2] += w * (double(a[0]) - b[0]) * (double(a[1]) + b[1]);
    }
}

// When the contours' areas cancel out: the plane through the first vertex,
// the vertex farthest from it and the one farthest off that line.
void spread_normal(const TessMesh& mesh, double n[3])
{
    const TessVertex* head = &mesh.vHead;
    const TessVertex* v0 = head->next;
    const TessVertex* far = v0;
    double best = 0;
    for (const TessVertex* v = v0; v != head; v = v->next) {
        double d = 0;
        for (int i = 0; i < 3; i++)
            d += (double(v->coords[i]) - v0->coords[i]) * (double(v->coords[i]) - v0->coords[i]);
        if (d > best) {
            best = d;
            far = v;
        }
    }
    const double d1[3] = {double(far->coords[0]) - v0->coords[0], double(far->coords[1]) - v0->coords[1],
                          double(far->coords[2]) - v0->coords[2]};
    best = 0;
    n[0] = n[1] = 0;
    n[2] = 1;
    for (const TessVertex* v = v0; v != head; v = v->next) {
        const double d2[3] = {double(v->coords[0]) - v0->coords[0], double(v->coords[1]) - v0->coords[1],
                              double(v->coords[2]) - v0->coords[2]};
        const double c[3] = {d1[1] * d2[2] - d1[2] * d2[1], d1[2] * d2[0] - d1[0] * d2[2],
                             d1[0] * d2[1] - d1[1] * d2[0]};
        const double len = c[0] * c[0] + c[1] * c[1] + c[2] * c[2];
        if (len > best) {
            best = len;
            n[0] = c[0];
            n[1] = c[1];
            n[2] = c[2];
        }
    }
}

}

// Projects every vertex onto the plane of the normal (given, or computed
// from the contours) and returns the bounding box in (s, t).
TessBounds Tessellator::project()
{
    double n[3] = {normal[0], normal[1], normal[2]};
    const bool computed = n[0] == 0 && n[1] == 0 && n[2] == 0;
    if (computed) {
        newell_normal(*mesh, n);
        if (n[0] == 0 && n[1] == 0 && n[2] == 0)
            spread_normal(*mesh, n);
    }
    int axis = 0;
    if (std::fabs(n[1]) > std::fabs(n[axis]))
        axis = 1;
    if (std::fabs(n[2]) > std::fabs(n[axis]))
        axis = 2;
    const int sAxis = (axis + 1) % 3;
    const int tAxis = (axis + 2) % 3;
    const double tSign = n[axis] > 0 ? 1.0 : -1.0;
    for (TessVertex* v = mesh->vHead.next; v != &mesh->vHead; v = v->next) {
        v->s = v->coords[sAxis];
        v->t = v->coords[tAxis] * tSign;
    }
    if (computed) {
        // Contours of positive winding should enclose positive area.
        double area = 0;
        for (const TessEdgePair* p = mesh->eHead.next; p != &mesh->eHead; p = p->next) {
            const TessVertex* a = p->e.Org;
            const TessVertex* b = p->e.Dst();
            area += p->e.winding * (a->s * b->t - b->s * a->t);
        }
        if (area < 0)
            for (TessVertex* v = mesh->vHead.next; v != &mesh->vHead; v = v->next)
                v->t = -v->t;
    }
    TessBounds b = {0, 0, 0, 0};
    bool first = true;
    for (const TessVertex* v = mesh->vHead.next; v != &mesh->vHead; v = v->next) {
        if (first) {
            b = {v->s, v->s, v->t, v->t};
            first = false;
        }
        b.smin = std::min(b.smin, v->s);
        b.smax = std::max(b.smax, v->s);
        b.tmin = std::min(b.tmin, v->t);
        b.tmax = std::max(b.tmax, v->t);
    }
    return b;
}

void Tessellator::writeVertex(const TessVertex* v, int position, int vertexSize)
{
    for (int i = 0; i < vertexSize; i++)
        vertices[position * vertexSize + i] = v->coords[i];
    vertexIndices[position] = v->index;
}

void Tessellator::outputPolygons(int polySize, int vertexSize, bool connected)
{
    int faceCount = 0;
    int count = 0;
    for (TessVertex* v = mesh->vHead.next; v != &mesh->vHead; v = v->next)
        v->outIndex = -1;
    for (TessFace* f = mesh->fHead.next; f != &mesh->fHead; f = f->next) {
        f->outIndex = -1;
        if (!f->inside)
            continue;
        int corners = 0;
        TessHalfEdge* e = f->anEdge;
        do {
            if (e->Org->outIndex < 0)
                e->Org->outIndex = count++;
            corners++;
            e = e->Lnext;
        } while (e != f->anEdge);
        if (corners > polySize)
            throw TessFailure();
        f->outIndex = faceCount++;
    }
    const int stride = connected ? polySize * 2 : polySize;
    vertices = static_cast<float*>(tess_alloc(alloc, array_bytes(long(count) * vertexSize, sizeof(float))));
    vertexIndices = static_cast<int*>(tess_alloc(alloc, array_bytes(count, sizeof(int))));
    elements = static_cast<int*>(tess_alloc(alloc, array_bytes(long(faceCount) * stride, sizeof(int))));
    for (const TessVertex* v = mesh->vHead.next; v != &mesh->vHead; v = v->next)
        if (v->outIndex >= 0)
            writeVertex(v, v->outIndex, vertexSize);
    int* out = elements;
    for (const TessFace* f = mesh->fHead.next; f != &mesh->fHead; f = f->next) {
        if (!f->inside)
            continue;
        int k = 0;
        const TessHalfEdge* e = f->anEdge;
        do {
            out[k++] = e->Org->outIndex;
            e = e->Lnext;
        } while (e != f->anEdge);
        while (k < polySize)
            out[k++] = -1;
        if (connected) {
            e = f->anEdge;
            do {
                const TessFace* other = mesh->Rface(e);
                out[k++] = other && other->inside ? other->outIndex : -1;
                e = e->Lnext;
            } while (e != f->anEdge);
            while (k < stride)
                out[k++] = -1;
        }
        out += stride;
    }
    vertexCount = count;
    elementCount = faceCount;
}

void Tessellator::outputContours(int vertexSize)
{
    int count = 0;
    int contours = 0;
    for (const TessFace* f = mesh->fHead.next; f != &mesh->fHead; f = f->next) {
        if (!f->inside)
            continue;
        const TessHalfEdge* e = f->anEdge;
        do {
            count++;
            e = e->Lnext;
        } while (e != f->anEdge);
        contours++;
    }
    vertices = static_cast<float*>(tess_alloc(alloc, array_bytes(long(count) * vertexSize, sizeof(float))));
    vertexIndices = static_cast<int*>(tess_alloc(alloc, array_bytes(count, sizeof(int))));
    elements = static_cast<int*>(tess_alloc(alloc, array_bytes(long(contours) * 2, sizeof(int))));
    int position = 0;
    int* out = elements;
    for (const TessFace* f = mesh->fHead.next; f != &mesh->fHead; f = f->next) {
        if (!f->inside)
            continue;
        const int start = position;
        const TessHalfEdge* e = f->anEdge;
        do {
            writeVertex(e->Org, position++, vertexSize);
            e = e->Lnext;
        } while (e != f->anEdge);
        *out++ = start;
        *out++ = position - start;
    }
    vertexCount = count;
    elementCount = contours;
}

Tessellator* tessellator_create(const TessAllocator* allocator)
{
    TessAllocator record = {};
    if (allocator) {
        record = *allocator;
    } else {
        record.allocate = heap_allocate;
        record.reallocate = heap_reallocate;
        record.free = heap_free;
    }
    if (!record.allocate || !record.free)
        return nullptr;
    record.meshEdgeBucketSize = tess_bucket_size(record.meshEdgeBucketSize, 512);
    record.meshVertexBucketSize = tess_bucket_size(record.meshVertexBucketSize, 512);
    record.meshFaceBucketSize = tess_bucket_size(record.meshFaceBucketSize, 256);
    record.dictNodeBucketSize = tess_bucket_size(record.dictNodeBucketSize, 512);
    record.regionBucketSize = tess_bucket_size(record.regionBucketSize, 256);

    void* memory = nullptr;
    try {
        memory = tess_alloc(record, sizeof(Tessellator));
    } catch (const TessFailure&) {
        return nullptr;
    }
    // The buckets of the mesh, the regions and the dictionary are made with
    // each tessellation, so between calls the tessellator holds no memory
    // but its own.
    return new (memory) Tessellator(record);
}

void tessellator_delete(Tessellator* tess)
{
    if (!tess)
        return;
    tess->releaseMesh();
    tess->releaseResults();
    const TessAllocator record = tess->alloc;
    tess->~Tessellator();
    tess_free(record, tess);
}

void tessellator_add_contour(Tessellator* tess, int size, const void* pointer, int stride, int count)
{
    if (!tess || !pointer || count <= 0)
        return;
    size = std::clamp(size, 2, 3);
    const int firstIndex = tess->vertexIndexCounter;
    tess->vertexIndexCounter += count;
    auto vertex = [&](int i) {
        return reinterpret_cast<const float*>(static_cast<const char*>(pointer) + static_cast<long>(i) * stride);
    };
    for (int i = 0; i < count; i++)
        for (int k = 0; k < size; k++)
            if (!std::isfinite(vertex(i)[k]))
                return; // a NaN or infinity would break the event order: the contour is left out
    if (tess->outOfMemory)
        return;
    try {
        if (!tess->mesh)
            tess->mesh = tess_new<TessMesh>(tess->alloc, tess->alloc, tess->alloc.meshEdgeBucketSize,
                                            tess->alloc.meshVertexBucketSize, tess->alloc.meshFaceBucketSize);
        TessHalfEdge* e = nullptr;
        for (int i = 0; i < count; i++) {
            if (!e) {
                e = tess->mesh->makeEdge();
                tess->mesh->splice(e, e->Sym); // one vertex, one edge looping to it
            } else {
                tess->mesh->splitEdge(e);
                e = e->Lnext;
            }
            const float* p = vertex(i);
            e->Org->coords[0] = p[0];
            e->Org->coords[1] = p[1];
            e->Org->coords[2] = size > 2 ? p[2] : 0.0f;
            e->Org->index = firstIndex + i;
            e->winding = 1;
            e->Sym->winding = -1;
        }
    } catch (const TessFailure&) {
        tess->outOfMemory = true;
    }
}

int tessellator_tessellate(Tessellator* tess, int windingRule, int elementType, int polySize, int vertexSize,
                           const float* normal)
{
    if (!tess)
        return 0;
    tess->releaseResults();
    tess->vertexIndexCounter = 0;
    if (normal)
        std::copy(normal, normal + 3, tess->normal);
    tess->windingRule = windingRule;
    vertexSize = std::clamp(vertexSize, 2, 3);
    polySize = std::max(polySize, 3);

    const bool validRequest = windingRule >= TESS_WINDING_ODD && windingRule <= TESS_WINDING_ABS_GEQ_TWO &&
                              elementType >= TESS_POLYGONS && elementType <= TESS_BOUNDARY_CONTOURS;
    if (!tess->mesh || tess->outOfMemory || !validRequest) {
        // Contours half added, or a request that cannot be met: nothing
        // comes out and the next contours start afresh.
        tess->releaseMesh();
        tess->outOfMemory = false;
        return 0;
    }
    try {
        const TessBounds bounds = tess->project();
        // Vertices all on one line parallel to an axis enclose nothing.
        if (bounds.smax > bounds.smin && bounds.tmax > bounds.tmin) {
            TessSweep sweep(tess->alloc, *tess->mesh, windingRule, tess->alloc.regionBucketSize,
                            tess->alloc.dictNodeBucketSize, tess->alloc.extraVertices);
            sweep.run(bounds);
        } else {
            for (TessFace* f = tess->mesh->fHead.next; f != &tess->mesh->fHead; f = f->next)
                f->inside = false;
        }
        if (elementType == TESS_BOUNDARY_CONTOURS) {
            tess_keep_boundary(*tess->mesh);
            tess->outputContours(vertexSize);
        } else {
            tess_triangulate_interior(*tess->mesh);
            if (polySize > 3)
                tess_merge_convex_faces(*tess->mesh, polySize);
            tess->outputPolygons(polySize, vertexSize, elementType == TESS_CONNECTED_POLYGONS);
        }
    } catch (const TessFailure&) {
        tess->releaseResults();
        tess->releaseMesh();
        return 0;
    }
    tess->releaseMesh();
    return 1;
}

const float* tessellator_get_vertices(const Tessellator* tess)
{
    return tess->vertices;
}

const int* tessellator_get_vertex_indices(const Tessellator* tess)
{
    return tess->vertexIndices;
}

int tessellator_get_vertex_count(const Tessellator* tess)
{
    return tess->vertexCount;
}

const int* tessellator_get_elements(const Tessellator* tess)
{
    return tess->elements;
}

int tessellator_get_element_count(const Tessellator* tess)
{
    return tess->elementCount;
}

long tessellator_get_loop_tree_steps(const Tessellator* tess)
{
    return tess->loopTreeSteps;
}

void tessellator_get_bucket_sizes(const Tessellator* tess, int sizes[5])
{
    sizes[0] = tess->alloc.meshEdgeBucketSize;
    sizes[1] = tess->alloc.meshVertexBucketSize;
    sizes[2] = tess->alloc.meshFaceBucketSize;
    sizes[3] = tess->alloc.dictNodeBucketSize;
    sizes[4] = tess->alloc.regionBucketSize;
}
