// Uploads, dynamic clones and collections on a real GL context.
#include <gtest/gtest.h>

#include <vector>

#include <cstdlib>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "render/gl_api.h"
#include "render/mesh.h"

TEST(MeshGpu, UploadsClonesAndCollections) {
    plat_open_window("Tervanne", 64, 64);
    ASSERT_TRUE(headless_has_context());
    ASSERT_TRUE(gl_load());
    ASSERT_NE(glIsBuffer, nullptr);

    MeshBuilder b = shape_box({1, 1, 1});
    int verts = b.vertex_count, idx = b.index_count;
    GpuMesh* src = mesh_upload(&b);
    EXPECT_EQ(b.vertices, nullptr);  // the builder's arrays were taken
    EXPECT_EQ(b.index_count, 0);
    EXPECT_EQ(src->vertex_count, verts);
    EXPECT_EQ(src->index_count, (uint32_t)idx);
    EXPECT_EQ(src->shares_ibo, 0u);

    GpuMesh* clone = mesh_clone_dynamic(src);
    EXPECT_EQ(clone->ibo, src->ibo);
    EXPECT_EQ(clone->shares_ibo, 1u);
    EXPECT_NE(clone->vbo, src->vbo);
    EXPECT_NE(clone->cpu_vertices, src->cpu_vertices);
    std::vector<Vertex> moved((size_t)verts);
    mesh_update_vertices(clone, moved.data(), 4);
    // A count past the mesh is a caller's mistake: a release build clamps it
    // to the buffer the mesh owns.
#ifdef NDEBUG
    mesh_update_vertices(clone, moved.data(), 100000);
#else
    EXPECT_DEATH(mesh_update_vertices(clone, moved.data(), 100000), "vertex_count");
#endif
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    // Destroying the clone leaves the source's index buffer alone.
    GLuint ibo = src->ibo;
    mesh_destroy(clone);
    EXPECT_TRUE(glIsBuffer(ibo));
    mesh_destroy(src);
    EXPECT_FALSE(glIsBuffer(ibo));
    mesh_destroy(nullptr);
    EXPECT_EQ(mesh_clone_dynamic(nullptr), nullptr);  // a node without a mesh has nothing to deform

    // An empty builder uploads to a mesh that draws nothing.
    MeshBuilder empty{};
    GpuMesh* none = mesh_upload(&empty);
    EXPECT_EQ(none->index_count, 0u);
    mesh_destroy(none);

    // Uploads are recorded while a collection is active and not suspended.
    MeshCollection list{};
    mesh_collection = &list;
    MeshBuilder x = shape_box({1, 1, 1}), y = shape_box({1, 1, 1}), z = shape_box({1, 1, 1});
    GpuMesh* kept = mesh_upload(&x);
    mesh_collection_suspended = true;
    GpuMesh* outside = mesh_upload(&y);
    mesh_collection_suspended = false;
    GpuMesh* kept2 = mesh_upload(&z);
    mesh_collection = nullptr;
    ASSERT_EQ(list.count, 2);
    EXPECT_EQ(list.meshes[0], kept);
    EXPECT_EQ(list.meshes[1], kept2);
    GLuint kept_vbo = kept->vbo;
    mesh_release_all(&list);
    EXPECT_EQ(list.count, 0);
    EXPECT_FALSE(glIsBuffer(kept_vbo));
    EXPECT_TRUE(glIsBuffer(outside->vbo));
    mesh_destroy(outside);
    std::free(list.meshes);
}
