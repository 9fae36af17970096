// The game's four models, each written with its material library and textures.
#pragma once

#include "output_folder.h"

// model_car.obj: the player's car, drawn at scale 1 at the car's position on the track.
void writeCarModel(OutputFolder& folder);

// model_ground_block.obj: the ground far below the track, drawn at scale 20000 under the car.
void writeGroundModel(OutputFolder& folder);

// model_buildings.obj: one block of the city, drawn 250 times along both sides of the track.
void writeBuildingsModel(OutputFolder& folder);

// model_grapple_point.obj: the beacon the grapple beam pulls toward, drawn at scale 3.
void writeGrapplePointModel(OutputFolder& folder);
