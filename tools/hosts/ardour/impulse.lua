ardour {
	["type"]    = "dsp",
	name        = "Impulse Probe",
	category    = "Utility",
	license     = "MIT",
	author      = "Vellumine",
	description = [[Replaces its input with silence and a single unit impulse 0.1 s into the timeline.]]
}

-- Importing a file needs Ardour's GUI, so the test signal is made inside the track instead.
local at = 4410

function dsp_ioconfig ()
	return { { audio_in = 2, audio_out = 2 } }
end

function dsp_run (ins, outs, n_samples)
	local pos = Session:transport_sample ()
	for c = 1, #outs do
		-- Whatever the track's inputs carry is discarded: only the impulse goes on.
		ARDOUR.DSP.memset (outs[c], 0, n_samples)
		if Session:transport_rolling () and at >= pos and at < pos + n_samples then
			outs[c]:array ()[at - pos + 1] = 1.0
		end
	end
end
