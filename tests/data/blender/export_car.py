# A small racing car built from nothing the way a modder builds one in Blender, and exported with
# File > Export > Wavefront (.obj) with the exporter's default axes, materials on and path mode
# Copy, so that the end-to-end test races exactly what a modder brings.
#
#   blender --background --factory-startup --python tests/data/blender/export_car.py -- OUTDIR
#           [--legacy] [--forward AXIS]
#
# writes OUTDIR/racer.obj, racer.mtl and stripes.png. --legacy uses the older exporter that
# Blender 3.x still ships, --forward sets its Forward axis (X, Y, Z, -X, -Y, -Z): both only to
# compare what the exporters write.
#
# The car, in Blender's axes (z up), about 2.5 wide with its wheels and 4 long, its wheels on the
# ground at z = 0, its nose toward -Y (the side Blender's front view looks at):
# - body: a box with unapplied scale, as one is left after scaling it in the viewport, so that the
#   export must bake the object's transform into the points. Its paint comes from a picture the
#   script paints and saves (red and white stripes) through an Image Texture node into Base Color,
#   the usual way to texture a material; it is shaded flat.
# - nose: the body's front face and a low bumper, plain yellow; tail: the back faces of the body
#   and of a raised panel above it, plain blue. Two colours that cannot be mistaken for each other
#   or for the body tell in a picture which way the car faces: blue is seen only from behind,
#   yellow only from ahead. The raised panel shows blue above the tail lights that the game draws
#   over the back face.
# - wheels: four cylinders of 16 sides shaded smooth, in a near-black rubber, so that the export
#   has per-corner normals next to the body's flat ones and a dark colour that must stay dark.
# - cabin: glass on the sides (Principled Alpha 0.3, blend mode Blend), the see-through material,
#   under a roof in the body's paint.
# - badge: a hexagon on the hood, one n-gon of six corners that the importer must split. The
#   wheels' caps are n-gons of 16 corners too.
# Nothing is random and nothing depends on the time, so every run writes the same files.
import os
import sys
import tempfile

import bpy


def arguments():
    args = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    if not args:
        sys.exit("usage: blender --background --factory-startup --python export_car.py -- OUTDIR "
                 "[--legacy] [--forward AXIS]")
    forward = args[args.index("--forward") + 1] if "--forward" in args else "-Z"
    return os.path.abspath(args[0]), "--legacy" in args, forward


def principled(name, colour, alpha=1.0):
    material = bpy.data.materials.new(name)
    material.use_nodes = True
    shader = material.node_tree.nodes["Principled BSDF"]
    shader.inputs["Base Color"].default_value = (*colour, 1.0)
    shader.inputs["Alpha"].default_value = alpha
    if alpha < 1.0:
        # Blender 4.2 renamed the setting; both spell "draw it blended" for their version.
        if hasattr(material, "surface_render_method"):
            material.surface_render_method = "BLENDED"
        material.blend_method = "BLEND"
    return material


def striped_paint(folder):
    # 8 by 8 pixels, four columns red and four white; saved outside the export folder so that
    # path mode Copy has a picture to copy, as with a modder's texture folder.
    image = bpy.data.images.new("stripes", 8, 8)
    red, white = (0.85, 0.05, 0.05, 1.0), (0.95, 0.95, 0.95, 1.0)
    image.pixels = [c for y in range(8) for x in range(8) for c in (red if x // 2 % 2 == 0 else white)]
    image.filepath_raw = os.path.join(folder, "stripes.png")
    image.file_format = "PNG"
    image.save()
    material = principled("Body Paint", (0.8, 0.8, 0.8))
    nodes, links = material.node_tree.nodes, material.node_tree.links
    texture = nodes.new("ShaderNodeTexImage")
    texture.image = image
    links.new(texture.outputs["Color"], nodes["Principled BSDF"].inputs["Base Color"])
    return material


def box(name, location, half_size, materials):
    bpy.ops.mesh.primitive_cube_add(size=2.0, location=location, scale=half_size)
    obj = bpy.context.active_object
    obj.name = name
    for material in materials.values():
        obj.data.materials.append(material)
    # Each face by the way its normal points: "x", "-y", "z" ...; "*" for the rest.
    names = list(materials)
    for polygon in obj.data.polygons:
        axis = max(range(3), key=lambda i: abs(polygon.normal[i]))
        side = ("" if polygon.normal[axis] > 0 else "-") + "xyz"[axis]
        polygon.material_index = names.index(side if side in names else "*")
    return obj


def build(folder):
    paint = striped_paint(folder)
    yellow = principled("Nose Yellow", (1.0, 0.75, 0.0))
    blue = principled("Tail Blue", (0.0, 0.05, 0.9))
    rubber = principled("Tyre Rubber", (0.02, 0.02, 0.02))
    glass = principled("Window Glass", (0.6, 0.8, 0.9), alpha=0.3)
    badge = principled("Badge", (0.9, 0.9, 0.9))

    box("Body", (0, 0, 0.55), (1.0, 2.0, 0.3), {"*": paint, "-y": yellow, "y": blue})
    box("Bumper", (0, -2.1, 0.2), (1.0, 0.1, 0.12), {"*": yellow})
    box("Tail Panel", (0, 1.92, 1.2), (1.0, 0.08, 0.35), {"*": paint, "y": blue})
    box("Cabin", (0, 0.2, 1.1), (0.75, 0.9, 0.25), {"*": glass, "z": paint})

    bpy.ops.mesh.primitive_circle_add(vertices=6, radius=0.3, fill_type="NGON", location=(0, -1.3, 0.86))
    bpy.context.active_object.name = "Badge"
    bpy.context.active_object.data.materials.append(badge)

    for x in (-1.1, 1.1):
        for y in (-1.3, 1.3):
            bpy.ops.mesh.primitive_cylinder_add(vertices=16, radius=0.4, depth=0.3, location=(x, y, 0.4),
                                                rotation=(0.0, 1.5707963267948966, 0.0))
            wheel = bpy.context.active_object
            wheel.name = "Wheel"
            wheel.data.materials.append(rubber)
            bpy.ops.object.shade_smooth()


def export(path, legacy, forward):
    if legacy:
        bpy.ops.export_scene.obj(filepath=path, axis_forward=forward, axis_up="Y", use_materials=True,
                                 path_mode="COPY")
    else:
        axis = forward.replace("-", "NEGATIVE_")
        bpy.ops.wm.obj_export(filepath=path, forward_axis=axis, up_axis="Y", export_materials=True,
                              path_mode="COPY")


def main():
    folder, legacy, forward = arguments()
    os.makedirs(folder, exist_ok=True)
    bpy.ops.wm.read_factory_settings(use_empty=True)
    with tempfile.TemporaryDirectory() as pictures:
        build(pictures)
        export(os.path.join(folder, "racer.obj"), legacy, forward)


main()
